// The paper sources: the first page's (PageInputBin, dmDefaultSource and
// tray) and the other pages' (our JobInput2ndBin, anotherTray with
// traySeparateMode saying whether it is used at all).
#pragma once

#include "printschema/feature_handler.h"

#include <cstddef>
#include <memory>

enum BinSlot { kFirstPageSlot = 0, kOtherPagesSlot = 1 };

struct InputBinEntry {
    bool           offered[2];      // selectable for the first page, for the other pages
    const wchar_t* keyword;
    UINT           displayId;
    bool           isPrivate;       // option name in our keyword namespace
};

constexpr size_t kInputBinCount = 8;
extern const InputBinEntry kInputBins[kInputBinCount];

constexpr int kAutoSelectBin = 0;
constexpr int kSameTrayBin = 1;

// The per-call record: the first page from AutoSelect, the others from the
// same tray.
struct InputBinSettings {
    int firstBin = kAutoSelectBin;   // into kInputBins
    int otherBin = kSameTrayBin;
};

// The entry a DEVMODE source code stands for in a slot; -1 when none.
int InputBinIndexOfCode(BinSlot slot, int code);
// The DEVMODE source code of an entry in a slot; -1 when it has none.
int InputBinCode(BinSlot slot, int index);

std::unique_ptr<FeatureHandler> CreateInputBinHandler(const wchar_t* privateNamespace);
