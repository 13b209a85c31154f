// The model's file list: the INI file beside the model description (same
// name, extension "DAT") whose "FileList" section names the other files.
#pragma once

#include <windows.h>

struct FileList {
    WCHAR dataFile[MAX_PATH];          // the model description (driver data file)
    WCHAR listPath[MAX_PATH];          // the file list itself
    WCHAR directory[MAX_PATH];         // their directory, with a trailing backslash
    WCHAR exDefaultFile[16];           // "ExDefaultInformation": the settings profile
    WCHAR defaultFile[32];             // "DefaultInformation": installation defaults
    WCHAR watermarkFile[16];           // "WatermarkInformation": shared watermarks
    WCHAR printerInfoFile[16];         // "PrinterInformation"
    WCHAR cOptionFile[16];             // "COptionInformation"
    WCHAR optionFile[16];              // "OptionInformation"
    WCHAR printProcessorFile[16];      // "PrintProcessor"
    WCHAR languageResourceFile[16];    // "LanguageResourcex64"
    WCHAR modelResourceFile[16];       // "ModelResourcex64"
};

// The section of the PrinterInformation file (an INI file in the Windows
// directory) that holds the model's switches for the property pages.
constexpr WCHAR kPrinterInfoSection[] = L"KVOPT07 config";

// Reads the file list of the model description at dataFile; names the list
// does not give take their defaults. FALSE only when dataFile is unusable.
BOOL ReadFileList(const WCHAR* dataFile, FileList* list);

// The same for the printer's driver (its DRIVER_INFO_2 data file).
BOOL ReadPrinterFileList(HANDLE printer, FileList* list);

// directory + name of a file in the file list's directory.
BOOL FileListPath(const FileList& list, const WCHAR* name, WCHAR* path, size_t capacity);
