// Parser of the model description (PostScript Printer Description syntax
// with the driver's own keywords). Pure code: no Windows calls, so that it
// also builds natively for fuzzing.
#pragma once

#include "core/model_context.h"

#include <cstddef>
#include <cstdint>

// Receives what the parser skipped or refused. fatal is set for the
// statement that ended parsing.
typedef void (*ModelDiagnosticSink)(void* context, uint32_t line, const char* keyword,
                                    const char* message, bool fatal);

struct ModelParseOptions {
    ModelDiagnosticSink sink;       // may be null
    void* sinkContext;
    void* (*allocate)(size_t size); // zero-filled block for the image
};

// Parses the description text and serialises it into one block from
// options.allocate, in cache form: pointers hold offsets from the start of
// the block and the kind slots are zero (RelocateModelImage makes it usable).
// Returns null when a statement cannot be read or memory runs out.
ModelContext* BuildModelImage(const uint8_t* text, size_t size, const char16_t* path,
                              const ModelParseOptions& options);

// Turns a block in cache form into a usable context in place: offsets
// become pointers and the kind slots are rebuilt. Refuses (false) a block
// whose records or texts do not lie inside it, so a damaged cache is never
// walked.
bool RelocateModelImage(ModelContext* image, size_t size);

// "FileVersion" text as 24.8 fixed point: "1.5" -> 384, "-1.0" -> 0.
// Text without digits gives 0, which never validates a cache.
uint32_t ParseFileVersion(const char* text, size_t length);

// CRC-16/XMODEM: polynomial 0x1021, initial value 0, no final XOR.
uint16_t ModelChecksum(const uint8_t* data, size_t size);
