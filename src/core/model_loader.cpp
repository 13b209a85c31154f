#include "core/model_loader.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

void* AllocateImage(size_t size)
{
    return GlobalAlloc(GPTR, size);
}

// The open model description, read piecewise: checking the cache needs only
// the few bytes up to the declared file version.
class Description {
public:
    explicit Description(const WCHAR* path)
    {
        file_ = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER length;
        if (file_ != INVALID_HANDLE_VALUE && GetFileSizeEx(file_, &length) &&
            length.QuadPart <= 0x7FFFFFFF)
            size_ = static_cast<size_t>(length.QuadPart);
        else
            Close();
    }
    ~Description()
    {
        Close();
        std::free(text_);
    }
    Description(const Description&) = delete;
    Description& operator=(const Description&) = delete;

    bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    size_t Size() const { return size_; }

    // The first `want` bytes (fewer at the end of the file); null on failure.
    const uint8_t* Read(size_t want, size_t* got)
    {
        want = want < size_ ? want : size_;
        if (want > read_) {
            auto* grown = static_cast<uint8_t*>(std::realloc(text_, want ? want : 1));
            if (!grown)
                return nullptr;
            text_ = grown;
            DWORD done = 0;
            if (!ReadFile(file_, text_ + read_, static_cast<DWORD>(want - read_), &done, nullptr) ||
                done != want - read_)
                return nullptr;
            read_ = want;
        }
        *got = read_;
        return text_ ? text_ : reinterpret_cast<const uint8_t*>("");
    }

private:
    void Close()
    {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }

    HANDLE file_ = INVALID_HANDLE_VALUE;
    size_t size_ = 0;
    size_t read_ = 0;
    uint8_t* text_ = nullptr;
};

// True when the text holds "FileVersion" and the quoted text after it; the
// version (0 when unreadable) goes to *version.
bool FindFileVersion(const uint8_t* text, size_t size, uint32_t* version)
{
    static const char kKey[] = "FileVersion";
    const size_t keyLength = sizeof(kKey) - 1;
    for (size_t i = 0; i + keyLength <= size; ++i) {
        if (std::memcmp(text + i, kKey, keyLength) != 0)
            continue;
        const void* open = std::memchr(text + i + keyLength, '"', size - i - keyLength);
        if (!open)
            return false;
        const char* start = static_cast<const char*>(open) + 1;
        const char* end = static_cast<const char*>(
            std::memchr(start, '"', size - (start - reinterpret_cast<const char*>(text))));
        if (!end)
            return false;
        *version = ParseFileVersion(start, static_cast<size_t>(end - start));
        return true;
    }
    return false;
}

// The version the description declares: the text between the first pair of
// quotes after the first "FileVersion". Descriptions declare it near their
// start, so the file is read in growing pieces until the answer is known.
uint32_t DeclaredFileVersion(Description& description)
{
    for (size_t want = 4096;; want *= 4) {
        size_t got = 0;
        const uint8_t* text = description.Read(want, &got);
        if (!text)
            return 0;
        bool complete = got == description.Size();
        uint32_t version = 0;
        if (FindFileVersion(text, got, &version) || complete)
            return version;
    }
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

// The cached context when the cache is current for this description, else
// null. The image is read straight into its block: one read and one
// relocation pass, nothing parsed.
ModelContext* LoadFromCache(const WCHAR* cachePath, Description& description, const WCHAR* path)
{
    HANDLE file = CreateFileW(cachePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    ModelContext* image = nullptr;
    LARGE_INTEGER length;
    DWORD done = 0;
    if (GetFileSizeEx(file, &length) && length.QuadPart > kModelHeadSize &&
        length.QuadPart < 0x7FFFFFFF) {
        size_t size = static_cast<size_t>(length.QuadPart);
        image = static_cast<ModelContext*>(GlobalAlloc(GMEM_FIXED, size));
        if (image && !(ReadFile(file, image, static_cast<DWORD>(size), &done, nullptr) &&
                       done == size && image->imageSize == size && image->fileVersion != 0 &&
                       image->fileVersion == DeclaredFileVersion(description) &&
                       RelocateModelImage(image, size) &&
                       SameFileNameIgnoringCase(image->modelPath,
                                                reinterpret_cast<const char16_t*>(path)))) {
            GlobalFree(image);
            image = nullptr;
        }
    }
    CloseHandle(file);
    return image;
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
    if (!path || !ModelCachePath(path, cachePath, ARRAYSIZE(cachePath)))
        return nullptr;
    Description description(path);
    if (!description.IsOpen())
        return nullptr;

    if (ModelContext* cached = LoadFromCache(cachePath, description, path))
        return cached;

    size_t size = 0;
    const uint8_t* text = description.Read(description.Size(), &size);
    if (!text)
        return nullptr;
    ModelParseOptions options = {sink, sinkContext, AllocateImage};
    ModelContext* image =
        BuildModelImage(text, size, reinterpret_cast<const char16_t*>(path), options);
    if (!image)
        return nullptr;
    WriteCache(cachePath, image);
    if (!RelocateModelImage(image, image->imageSize)) {
        GlobalFree(image);
        return nullptr;
    }
    return image;
}
