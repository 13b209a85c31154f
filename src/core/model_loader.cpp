#include "core/model_loader.h"

#include <cstring>
#include <cwchar>

namespace {

void* AllocateImage(size_t size)
{
    return GlobalAlloc(GPTR, size);
}

// A read-only view of a whole file. An empty file has no view but is valid.
struct FileView {
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE mapping = nullptr;
    const uint8_t* data = nullptr;
    size_t size = 0;

    bool Open(const WCHAR* path)
    {
        file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        LARGE_INTEGER length;
        if (!GetFileSizeEx(file, &length) || length.QuadPart > 0x7FFFFFFF)
            return false;
        size = static_cast<size_t>(length.QuadPart);
        if (size == 0)
            return true;
        mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping)
            data = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
        return data != nullptr;
    }

    ~FileView()
    {
        if (data)
            UnmapViewOfFile(data);
        if (mapping)
            CloseHandle(mapping);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
};

// The version the description declares: the text between the first pair of
// quotes after the first "FileVersion".
uint32_t DeclaredFileVersion(const uint8_t* text, size_t size)
{
    static const char kKey[] = "FileVersion";
    const size_t keyLength = sizeof(kKey) - 1;
    for (size_t i = 0; i + keyLength <= size; ++i) {
        if (std::memcmp(text + i, kKey, keyLength) != 0)
            continue;
        const void* open = std::memchr(text + i + keyLength, '"', size - i - keyLength);
        if (!open)
            return 0;
        const char* start = static_cast<const char*>(open) + 1;
        const char* end = static_cast<const char*>(
            std::memchr(start, '"', size - (start - reinterpret_cast<const char*>(text))));
        return end ? ParseFileVersion(start, static_cast<size_t>(end - start)) : 0;
    }
    return 0;
}

const char16_t* FileNamePart(const char16_t* path)
{
    const char16_t* name = path;
    for (const char16_t* p = path; *p; ++p)
        if (*p == u'\\')
            name = p + 1;
    return name;
}

bool SameFileNameIgnoringCase(const char16_t* a, const char16_t* b)
{
    a = FileNamePart(a);
    b = FileNamePart(b);
    for (;; ++a, ++b) {
        char16_t x = (*a >= u'a' && *a <= u'z') ? char16_t(*a - 32) : *a;
        char16_t y = (*b >= u'a' && *b <= u'z') ? char16_t(*b - 32) : *b;
        if (x != y)
            return false;
        if (!x)
            return true;
    }
}

// The cached context when the cache is current for this description, else null.
ModelContext* LoadFromCache(const FileView& cache, uint32_t fileVersion, const WCHAR* path)
{
    if (cache.size <= kModelHeadSize || !cache.data)
        return nullptr;
    const auto* head = reinterpret_cast<const ModelContext*>(cache.data);
    if (head->imageSize != cache.size || head->fileVersion != fileVersion || fileVersion == 0)
        return nullptr;
    auto* image = static_cast<ModelContext*>(GlobalAlloc(GMEM_FIXED, cache.size));
    if (!image)
        return nullptr;
    std::memcpy(image, cache.data, cache.size);
    if (image->imageVersion == kModelImageVersion && RelocateModelImage(image, cache.size) &&
        SameFileNameIgnoringCase(image->modelPath, reinterpret_cast<const char16_t*>(path)))
        return image;
    GlobalFree(image);
    return nullptr;
}

// A cache that cannot be written (a restricted process, a read-only
// directory) is skipped: the parsed context is still good.
void WriteCache(const WCHAR* cachePath, const ModelContext* image)
{
    HANDLE file = CreateFileW(cachePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    BOOL ok = WriteFile(file, image, image->imageSize, &written, nullptr) &&
              written == image->imageSize;
    CloseHandle(file);
    if (!ok)
        DeleteFileW(cachePath);
}

} // namespace

BOOL ModelCachePath(const WCHAR* path, WCHAR* cachePath, size_t capacity)
{
    if (!path || !cachePath)
        return FALSE;
    size_t length = wcslen(path);
    const WCHAR* dot = wcsrchr(path, L'.');
    const WCHAR* slash = wcsrchr(path, L'\\');
    size_t stem = (dot && (!slash || dot > slash)) ? static_cast<size_t>(dot - path) : length;
    if (stem + 5 > capacity)
        return FALSE;
    wmemcpy(cachePath, path, stem);
    wcscpy(cachePath + stem, L".BDD");
    return TRUE;
}

ModelContext* LoadModelContext(const WCHAR* path, ModelDiagnosticSink sink, void* sinkContext)
{
    WCHAR cachePath[MAX_PATH + 8];
    FileView description;
    if (!path || !ModelCachePath(path, cachePath, ARRAYSIZE(cachePath)) ||
        !description.Open(path))
        return nullptr;

    {
        FileView cache;
        if (cache.Open(cachePath)) {
            ModelContext* cached = LoadFromCache(
                cache, DeclaredFileVersion(description.data, description.size), path);
            if (cached)
                return cached;
        }
    }

    static const uint8_t kEmpty[1] = {0};
    ModelParseOptions options = {sink, sinkContext, AllocateImage};
    ModelContext* image = BuildModelImage(description.data ? description.data : kEmpty,
                                          description.size,
                                          reinterpret_cast<const char16_t*>(path), options);
    if (!image)
        return nullptr;
    WriteCache(cachePath, image);
    if (!RelocateModelImage(image, image->imageSize)) {
        GlobalFree(image);
        return nullptr;
    }
    return image;
}
