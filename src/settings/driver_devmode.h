// The DriverDevmode: the public DEVMODEW followed by the driver-private part.
//
// The record is stored by the spooler and inside applications' documents,
// and its tail is read by the spooler-side job processor, so every offset
// and width below is a persistent binary format. The records are packed and
// every offset is checked at compile time; never reorder or resize a field.
// Reserved arrays are named after their offset in the private part; they
// stay zero in records this driver creates and travel unchanged in merged
// ones.
#pragma once

#include "settings/devmode_bits.h"

#include <windows.h>

#include <cstddef>

constexpr WORD   kDriverDevmodeSize    = 2672;
constexpr WORD   kPublicDevmodeSize    = 220;      // the full DEVMODEW
constexpr WORD   kPrivateSize          = 0x0994;   // dmDriverExtra, 2452
constexpr WORD   kSpecVersion          = 0x0401;
constexpr WORD   kDriverVersion        = 0x0107;
constexpr WORD   kPrivateSignature     = 0xFF01;
constexpr DWORD  kPrivateTag           = 0x56495250;   // bytes "PRIV" in file order
constexpr DWORD  kProcessorEndTag      = 0x43534F45;   // bytes "EOSC" in file order
constexpr WORD   kProcessorBlockSize   = 1168;
constexpr WORD   kProcessorBlockOffset = 1504;     // from the start of the whole record

#pragma pack(push, 1)

// One row of the tray paper table.
struct TrayPaperEntry {
    LONG paper;     // paper code; -1 tray present without paper, -2 tray absent
    LONG trayId;    // -2 when not used
};

// The active watermark as the job processor draws it.
struct WatermarkRecord {
    DWORD    on;            // 1 = watermark printing on
    CHAR     text[32];      // ANSI, converted from the store's UTF-16 text
    BYTE     reserved[12];
    LOGFONTW font;
};

// The tail of the private part, read by the spooler-side job processor.
// Most of it is derived from the fields above it whenever settings change.
struct ProcessorBlock {
    WCHAR           procFile[32];       // job processor to run; empty = none needed
    BYTE            blockVersion;
    BYTE            reserved545[1];
    WORD            blockSize;
    WORD            procDuplex;
    WORD            procBindingOffset;
    LONG            procPagesPerSheet;
    BYTE            reserved550[1];
    BYTE            pageOrder;
    BYTE            procCollate;
    BYTE            procCopies;
    BYTE            procSwitch1;
    BYTE            reserved555[1];
    BYTE            procMark1;
    BYTE            procMark2;
    BYTE            reserved558[3];
    BYTE            forceProcessor;
    WORD            landscapeAngle;
    BYTE            reserved55E[2];
    WatermarkRecord watermark;
    DWORD           watermarkGray;
    LONG            watermarkOffsetX;
    LONG            watermarkOffsetY;
    DWORD           watermarkRop;       // SRCCOPY opaque, SRCAND transparent
    BYTE            reserved5FC[1];
    BYTE            watermarkOutline;
    WORD            watermarkScale;
    DWORD           watermarkPages;
    BYTE            multiLine;
    BYTE            sourceFlags;
    BYTE            reserved606[66];
    DWORD           headerFooterFlags;
    LOGFONTW        headerFooterFont;
    DWORD           headerFooterColor;
    DWORD           headerFooterBackColor;
    DWORD           procSwitch2;
    BYTE            reserved6B4[128];
    WORD            procBindMode;
    BYTE            procRelayedSwitch;
    BYTE            reserved737[5];
    SHORT           procBinSelect;      // -1 when the multi-bin path is active
    BYTE            reserved73E[2];
    BYTE            procBinFlags;
    BYTE            procBin;
    BYTE            procBinOn;
    BYTE            reserved743[1];
    DWORD           procRotate;
    DWORD           procRotateAngle;
    SHORT           procFitPaper;
    WORD            procFitTarget;
    DWORD           procScale;
    BYTE            reserved754[4];
    DWORD           procAccessories;
    WCHAR           spoolDefaultUserName[64];
    BYTE            reserved7DC[256];
    WORD            procSource;
    BYTE            reserved8DE[2];
    BYTE            hostFlags;
    BYTE            reserved8E1[3];
    DWORD           procDuplexMode;
    DWORD           procDuplexOffset;
    DWORD           procDuplexAuto;
    CHAR            legacyResourceFile[13];
    BYTE            reserved8FD[7];
    BYTE            procPaperFlags;
    BYTE            reserved905[3];
    BYTE            idWatermark;
    BYTE            reserved909[7];
    WCHAR           idWatermarkName[64];
    DWORD           endTag;             // kProcessorEndTag
};

// The driver-private part, located dmSize bytes after the start of the
// record (never at a constant offset: foreign public parts are shorter).
struct PrivateSettings {
    WORD            processorBlockOffset;   // from the start of the whole record
    WORD            signature;
    DWORD           tag;
    DWORD           renderFlags;
    DWORD           modelCaps;
    DWORD           modelFeatures;
    DWORD           modelTrays;
    COLORADJUSTMENT colorAdjustment;
    BYTE            optionSelections[64];
    WORD            modelChecksum;
    WORD            sleepTime;
    WORD            sleepMode;
    WORD            defaultSleepTime;
    SHORT           multiPage;              // below 1 selects poster printing
    WORD            economy;
    WORD            mediaType;
    WORD            postcardMediaType;
    WORD            ret;
    WORD            pageProtect;
    WORD            errorPrint;
    WORD            resExt;
    WORD            duplex;
    WORD            bindingOffset;
    WORD            watermarkIndex;
    WORD            scalingSize;
    DWORD           macroId;
    WORD            grayLevelLow;
    WORD            grayLevelHigh;
    BYTE            useDevmodeCollate;
    BYTE            macroFlags;
    BYTE            macroCount;
    BYTE            showBiasVolt;
    BYTE            biasVolt;
    BYTE            reserved09D[1];
    BYTE            defaultBiasVolt;
    BYTE            reserved09F[1];
    WCHAR           customPaperName[17];
    WORD            customPaperUnit;
    WORD            customPaperWidth;
    WORD            customPaperLength;
    WORD            graphicsMode;
    WORD            resourceNumber;
    WORD            bandingMode;
    WORD            specialFlags;
    WORD            bookletLayout;
    SHORT           bookletMultiPage;
    BYTE            booklet;
    BYTE            bindFlags;
    BYTE            qps;
    BYTE            binMode;
    WORD            binNumber;
    WORD            binSwitch;
    WORD            outputBin;
    WORD            modelCodeWord;
    WORD            biasOn;
    SHORT           biasValue;
    WORD            paperSizeCopy;
    WORD            fitPaperSize;
    WORD            accessories;
    WORD            accessories2;
    WORD            ramDisk;
    WORD            ramDiskSize;
    WORD            printerMemory;
    WORD            tray;
    WORD            anotherTray;
    WORD            undefinedSourceTray;
    BYTE            statusMonitor;
    BYTE            defaultSet;
    BYTE            reserved0FA[2];
    BYTE            bindModeSwitch;
    BYTE            imageProcess;
    BYTE            traySeparateMode;
    BYTE            scaling;
    BYTE            modeSelector2;
    BYTE            relayedSwitch;
    BYTE            collate;
    BYTE            compMode1028;
    BYTE            serviceItems;
    BYTE            reserved105[3];
    DWORD           lastIdleSeconds;
    BYTE            resolutionFlags;
    BYTE            scaleFlag;
    WORD            optionCount;
    WORD            paperHandling;
    BYTE            reserved112[18];
    WCHAR           watermarkTitle[34];
    BYTE            specialOutputMode;
    BYTE            savedScaling;
    BYTE            savedSwitch;
    BYTE            savedMode;
    LONG            savedCode1;
    LONG            savedCode2;
    WORD            lastCustomWidth;
    WORD            lastCustomLength;
    WORD            mopy;
    SHORT           mopyPin;
    WCHAR           mopyUser[128];
    WCHAR           mopyJob[126];
    DWORD           textCodePage;
    WCHAR           spoolComputerName[33];
    BYTE            copyFlags;
    BYTE            reserved3BF[1];
    WORD            printerCopies;
    BYTE            reserved3C2[2];
    TrayPaperEntry  trayPaper[12];          // trays 1-4, tower trays 1-7, multi-purpose
    CHAR            languageName[16];
    WCHAR           printProcessorFile[16];
    WCHAR           languageResourceFile[16];
    WCHAR           modelResourceFile[16];
    WCHAR           optionInformationFile[16];
    WCHAR           macroName[24];
    WCHAR           reservedText[16];       // unused, but terminated on every merge
    ProcessorBlock  processor;
};

struct DriverDevmode {
    DEVMODEW        pub;
    PrivateSettings priv;
};

#pragma pack(pop)

// Sizes of the parts.
static_assert(sizeof(DEVMODEW) == kPublicDevmodeSize, "public part");
static_assert(sizeof(COLORADJUSTMENT) == 24, "colour adjustment");
static_assert(sizeof(LOGFONTW) == 92, "font record");
static_assert(sizeof(TrayPaperEntry) == 8, "tray paper entry");
static_assert(sizeof(WatermarkRecord) == 140, "watermark record");
static_assert(sizeof(ProcessorBlock) == kProcessorBlockSize, "processor block");
static_assert(sizeof(PrivateSettings) == kPrivateSize, "private part");
static_assert(sizeof(DriverDevmode) == kDriverDevmodeSize, "whole record");
static_assert(kDriverDevmodeSize == kPublicDevmodeSize + kPrivateSize, "parts add up");
static_assert(offsetof(DriverDevmode, priv) == kPublicDevmodeSize, "private part follows DEVMODEW");
static_assert(kProcessorBlockOffset == kDriverDevmodeSize - kProcessorBlockSize, "block ends the record");
static_assert(offsetof(DriverDevmode, priv) + offsetof(PrivateSettings, processor) == kProcessorBlockOffset,
              "processor block");
static_assert(offsetof(WatermarkRecord, text) == 4 && offsetof(WatermarkRecord, reserved) == 36 &&
                  offsetof(WatermarkRecord, font) == 48,
              "watermark record fields");
static_assert(sizeof(PrivateSettings::trayPaper) == 12 * sizeof(TrayPaperEntry), "tray paper table");

// Offsets in the private part.
#define KV_PRIVATE_AT(field, offset) \
    static_assert(offsetof(PrivateSettings, field) == (offset), "PrivateSettings::" #field)

KV_PRIVATE_AT(processorBlockOffset, 0x000);
KV_PRIVATE_AT(signature, 0x002);
KV_PRIVATE_AT(tag, 0x004);
KV_PRIVATE_AT(renderFlags, 0x008);
KV_PRIVATE_AT(modelCaps, 0x00C);
KV_PRIVATE_AT(modelFeatures, 0x010);
KV_PRIVATE_AT(modelTrays, 0x014);
KV_PRIVATE_AT(colorAdjustment, 0x018);
KV_PRIVATE_AT(optionSelections, 0x030);
KV_PRIVATE_AT(modelChecksum, 0x070);
KV_PRIVATE_AT(sleepTime, 0x072);
KV_PRIVATE_AT(sleepMode, 0x074);
KV_PRIVATE_AT(defaultSleepTime, 0x076);
KV_PRIVATE_AT(multiPage, 0x078);
KV_PRIVATE_AT(economy, 0x07A);
KV_PRIVATE_AT(mediaType, 0x07C);
KV_PRIVATE_AT(postcardMediaType, 0x07E);
KV_PRIVATE_AT(ret, 0x080);
KV_PRIVATE_AT(pageProtect, 0x082);
KV_PRIVATE_AT(errorPrint, 0x084);
KV_PRIVATE_AT(resExt, 0x086);
KV_PRIVATE_AT(duplex, 0x088);
KV_PRIVATE_AT(bindingOffset, 0x08A);
KV_PRIVATE_AT(watermarkIndex, 0x08C);
KV_PRIVATE_AT(scalingSize, 0x08E);
KV_PRIVATE_AT(macroId, 0x090);
KV_PRIVATE_AT(grayLevelLow, 0x094);
KV_PRIVATE_AT(grayLevelHigh, 0x096);
KV_PRIVATE_AT(useDevmodeCollate, 0x098);
KV_PRIVATE_AT(macroFlags, 0x099);
KV_PRIVATE_AT(macroCount, 0x09A);
KV_PRIVATE_AT(showBiasVolt, 0x09B);
KV_PRIVATE_AT(biasVolt, 0x09C);
KV_PRIVATE_AT(reserved09D, 0x09D);
KV_PRIVATE_AT(defaultBiasVolt, 0x09E);
KV_PRIVATE_AT(reserved09F, 0x09F);
KV_PRIVATE_AT(customPaperName, 0x0A0);
KV_PRIVATE_AT(customPaperUnit, 0x0C2);
KV_PRIVATE_AT(customPaperWidth, 0x0C4);
KV_PRIVATE_AT(customPaperLength, 0x0C6);
KV_PRIVATE_AT(graphicsMode, 0x0C8);
KV_PRIVATE_AT(resourceNumber, 0x0CA);
KV_PRIVATE_AT(bandingMode, 0x0CC);
KV_PRIVATE_AT(specialFlags, 0x0CE);
KV_PRIVATE_AT(bookletLayout, 0x0D0);
KV_PRIVATE_AT(bookletMultiPage, 0x0D2);
KV_PRIVATE_AT(booklet, 0x0D4);
KV_PRIVATE_AT(bindFlags, 0x0D5);
KV_PRIVATE_AT(qps, 0x0D6);
KV_PRIVATE_AT(binMode, 0x0D7);
KV_PRIVATE_AT(binNumber, 0x0D8);
KV_PRIVATE_AT(binSwitch, 0x0DA);
KV_PRIVATE_AT(outputBin, 0x0DC);
KV_PRIVATE_AT(modelCodeWord, 0x0DE);
KV_PRIVATE_AT(biasOn, 0x0E0);
KV_PRIVATE_AT(biasValue, 0x0E2);
KV_PRIVATE_AT(paperSizeCopy, 0x0E4);
KV_PRIVATE_AT(fitPaperSize, 0x0E6);
KV_PRIVATE_AT(accessories, 0x0E8);
KV_PRIVATE_AT(accessories2, 0x0EA);
KV_PRIVATE_AT(ramDisk, 0x0EC);
KV_PRIVATE_AT(ramDiskSize, 0x0EE);
KV_PRIVATE_AT(printerMemory, 0x0F0);
KV_PRIVATE_AT(tray, 0x0F2);
KV_PRIVATE_AT(anotherTray, 0x0F4);
KV_PRIVATE_AT(undefinedSourceTray, 0x0F6);
KV_PRIVATE_AT(statusMonitor, 0x0F8);
KV_PRIVATE_AT(defaultSet, 0x0F9);
KV_PRIVATE_AT(bindModeSwitch, 0x0FC);
KV_PRIVATE_AT(imageProcess, 0x0FD);
KV_PRIVATE_AT(traySeparateMode, 0x0FE);
KV_PRIVATE_AT(scaling, 0x0FF);
KV_PRIVATE_AT(modeSelector2, 0x100);
KV_PRIVATE_AT(relayedSwitch, 0x101);
KV_PRIVATE_AT(collate, 0x102);
KV_PRIVATE_AT(compMode1028, 0x103);
KV_PRIVATE_AT(serviceItems, 0x104);
KV_PRIVATE_AT(lastIdleSeconds, 0x108);
KV_PRIVATE_AT(resolutionFlags, 0x10C);
KV_PRIVATE_AT(scaleFlag, 0x10D);
KV_PRIVATE_AT(optionCount, 0x10E);
KV_PRIVATE_AT(paperHandling, 0x110);
KV_PRIVATE_AT(watermarkTitle, 0x124);
KV_PRIVATE_AT(specialOutputMode, 0x168);
KV_PRIVATE_AT(savedScaling, 0x169);
KV_PRIVATE_AT(savedSwitch, 0x16A);
KV_PRIVATE_AT(savedMode, 0x16B);
KV_PRIVATE_AT(savedCode1, 0x16C);
KV_PRIVATE_AT(savedCode2, 0x170);
KV_PRIVATE_AT(lastCustomWidth, 0x174);
KV_PRIVATE_AT(lastCustomLength, 0x176);
KV_PRIVATE_AT(mopy, 0x178);
KV_PRIVATE_AT(mopyPin, 0x17A);
KV_PRIVATE_AT(mopyUser, 0x17C);
KV_PRIVATE_AT(mopyJob, 0x27C);
KV_PRIVATE_AT(textCodePage, 0x378);
KV_PRIVATE_AT(spoolComputerName, 0x37C);
KV_PRIVATE_AT(copyFlags, 0x3BE);
KV_PRIVATE_AT(printerCopies, 0x3C0);
KV_PRIVATE_AT(trayPaper, 0x3C4);
KV_PRIVATE_AT(languageName, 0x424);
KV_PRIVATE_AT(printProcessorFile, 0x434);
KV_PRIVATE_AT(languageResourceFile, 0x454);
KV_PRIVATE_AT(modelResourceFile, 0x474);
KV_PRIVATE_AT(optionInformationFile, 0x494);
KV_PRIVATE_AT(macroName, 0x4B4);
KV_PRIVATE_AT(reservedText, 0x4E4);
KV_PRIVATE_AT(processor, 0x504);

#undef KV_PRIVATE_AT

// Offsets of the processor block, counted from the start of the private part.
#define KV_PROCESSOR_AT(field, offset)                                                       \
    static_assert(offsetof(PrivateSettings, processor) + offsetof(ProcessorBlock, field) == \
                      (offset),                                                              \
                  "ProcessorBlock::" #field)

KV_PROCESSOR_AT(procFile, 0x504);
KV_PROCESSOR_AT(blockVersion, 0x544);
KV_PROCESSOR_AT(reserved545, 0x545);
KV_PROCESSOR_AT(blockSize, 0x546);
KV_PROCESSOR_AT(procDuplex, 0x548);
KV_PROCESSOR_AT(procBindingOffset, 0x54A);
KV_PROCESSOR_AT(procPagesPerSheet, 0x54C);
KV_PROCESSOR_AT(reserved550, 0x550);
KV_PROCESSOR_AT(pageOrder, 0x551);
KV_PROCESSOR_AT(procCollate, 0x552);
KV_PROCESSOR_AT(procCopies, 0x553);
KV_PROCESSOR_AT(procSwitch1, 0x554);
KV_PROCESSOR_AT(reserved555, 0x555);
KV_PROCESSOR_AT(procMark1, 0x556);
KV_PROCESSOR_AT(procMark2, 0x557);
KV_PROCESSOR_AT(forceProcessor, 0x55B);
KV_PROCESSOR_AT(landscapeAngle, 0x55C);
KV_PROCESSOR_AT(watermark, 0x560);
KV_PROCESSOR_AT(watermarkGray, 0x5EC);
KV_PROCESSOR_AT(watermarkOffsetX, 0x5F0);
KV_PROCESSOR_AT(watermarkOffsetY, 0x5F4);
KV_PROCESSOR_AT(watermarkRop, 0x5F8);
KV_PROCESSOR_AT(reserved5FC, 0x5FC);
KV_PROCESSOR_AT(watermarkOutline, 0x5FD);
KV_PROCESSOR_AT(watermarkScale, 0x5FE);
KV_PROCESSOR_AT(watermarkPages, 0x600);
KV_PROCESSOR_AT(multiLine, 0x604);
KV_PROCESSOR_AT(sourceFlags, 0x605);
KV_PROCESSOR_AT(headerFooterFlags, 0x648);
KV_PROCESSOR_AT(headerFooterFont, 0x64C);
KV_PROCESSOR_AT(headerFooterColor, 0x6A8);
KV_PROCESSOR_AT(headerFooterBackColor, 0x6AC);
KV_PROCESSOR_AT(procSwitch2, 0x6B0);
KV_PROCESSOR_AT(procBindMode, 0x734);
KV_PROCESSOR_AT(procRelayedSwitch, 0x736);
KV_PROCESSOR_AT(procBinSelect, 0x73C);
KV_PROCESSOR_AT(reserved73E, 0x73E);
KV_PROCESSOR_AT(procBinFlags, 0x740);
KV_PROCESSOR_AT(procBin, 0x741);
KV_PROCESSOR_AT(procBinOn, 0x742);
KV_PROCESSOR_AT(procRotate, 0x744);
KV_PROCESSOR_AT(procRotateAngle, 0x748);
KV_PROCESSOR_AT(procFitPaper, 0x74C);
KV_PROCESSOR_AT(procFitTarget, 0x74E);
KV_PROCESSOR_AT(procScale, 0x750);
KV_PROCESSOR_AT(reserved754, 0x754);
KV_PROCESSOR_AT(procAccessories, 0x758);
KV_PROCESSOR_AT(spoolDefaultUserName, 0x75C);
KV_PROCESSOR_AT(procSource, 0x8DC);
KV_PROCESSOR_AT(reserved8DE, 0x8DE);
KV_PROCESSOR_AT(hostFlags, 0x8E0);
KV_PROCESSOR_AT(procDuplexMode, 0x8E4);
KV_PROCESSOR_AT(procDuplexOffset, 0x8E8);
KV_PROCESSOR_AT(procDuplexAuto, 0x8EC);
KV_PROCESSOR_AT(legacyResourceFile, 0x8F0);
KV_PROCESSOR_AT(procPaperFlags, 0x904);
KV_PROCESSOR_AT(reserved905, 0x905);
KV_PROCESSOR_AT(idWatermark, 0x908);
KV_PROCESSOR_AT(idWatermarkName, 0x910);
KV_PROCESSOR_AT(endTag, 0x990);

#undef KV_PROCESSOR_AT

// The full identification: version 0x0401, a 220-byte public part, a
// 2452-byte private part with the signature and the "PRIV" tag, all inside
// bufferSize bytes. Only such a record's private bytes may be taken over.
BOOL IsDriverDevmode(const DEVMODEW* dm, size_t bufferSize);

// The weak test: the record is long enough to hold the size fields and the
// signature sits at private offset 2, wherever dmSize places the private
// part. Decides whether a stored DEVMODE is worth merging at all. Reads
// nothing outside bufferSize bytes.
BOOL HasDriverSignature(const DEVMODEW* dm, size_t bufferSize);

// The private part, dmSize bytes after the start. Null for a null record.
PrivateSettings* PrivatePart(DEVMODEW* dm);
const PrivateSettings* PrivatePart(const DEVMODEW* dm);

// The processor block, processorBlockOffset bytes after the start. Null for
// a null record, or when that offset does not put the whole block inside
// the private part the record declares (a corrupt or foreign record).
// Meant for records that passed IsDriverDevmode or that this driver built.
ProcessorBlock* ProcessorBlockOf(DEVMODEW* dm);
const ProcessorBlock* ProcessorBlockOf(const DEVMODEW* dm);
