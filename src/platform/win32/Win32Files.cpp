#include "platform/win32/Win32Files.h"

#include "platform/win32/WindowsSupport.h"

#include <shellapi.h>

#include <vector>

namespace corvalis {
namespace {

using win32::Narrow;
using win32::ScopedFindHandle;
using win32::ScopedKernelHandle;
using win32::Widen;

DWORD Attributes(const std::string& path)
{
    return ::GetFileAttributesW(Widen(path).c_str());
}

std::string WithoutTrailingDelimiter(std::string path)
{
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

bool WriteAll(HANDLE file, const std::string& content)
{
    DWORD written = 0;
    return content.empty() ||
           (::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
            written == content.size());
}

// Calls a Win32 function that fills a character buffer and returns the length it needs.
template <typename Fill> std::string BufferText(Fill fill)
{
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    }
    buffer.resize(length < buffer.size() ? length : 0);
    return Narrow(buffer);
}

} // namespace

bool Win32Files::Check(bool succeeded) const
{
    lastError_ = succeeded ? 0 : ::GetLastError();
    return succeeded;
}

bool Win32Files::FileExists(const std::string& path) const
{
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Files::DirectoryExists(const std::string& path) const
{
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Files::CreateDirectory(const std::string& path)
{
    return Check(::CreateDirectoryW(Widen(path).c_str(), nullptr));
}

bool Win32Files::ForceDirectories(const std::string& path)
{
    const std::string folder = WithoutTrailingDelimiter(path);
    if (folder.empty())
        return Check(false);
    if (DirectoryExists(folder))
        return true;
    const size_t slash = folder.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0) {
        const std::string parent = folder.substr(0, slash);
        if (parent != folder && parent.back() != ':' && !ForceDirectories(parent))
            return false;
    }
    return Check(::CreateDirectoryW(Widen(folder).c_str(), nullptr) || DirectoryExists(folder));
}

bool Win32Files::CopyFile(const std::string& from, const std::string& to)
{
    return Check(::CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE));
}

bool Win32Files::MoveFile(const std::string& from, const std::string& to)
{
    // Windows refuses to replace with a folder.
    const DWORD flags = DirectoryExists(from) ? 0 : MOVEFILE_REPLACE_EXISTING;
    return Check(::MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), flags));
}

bool Win32Files::DeleteFile(const std::string& path)
{
    return Check(::DeleteFileW(Widen(path).c_str()));
}

bool Win32Files::Recycle(const std::string& path)
{
    const bool isFile = FileExists(path);
    if (!isFile && !DirectoryExists(path))
        return Check(false);
    // The shell wants full paths, each ended by a zero, the list by another one.
    std::wstring from = Widen(FullPath(path));
    from.append(2, L'\0');
    win32::ComForThisThread();
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    if (isFile)
        operation.fFlags |= FOF_FILESONLY;
    const int result = ::SHFileOperationW(&operation);
    lastError_ = static_cast<uint32_t>(result);
    return result == 0 && !operation.fAnyOperationsAborted;
}

bool Win32Files::DeleteTree(const std::string& path)
{
    bool complete = true;
    for (const DirEntry& entry : Enumerate(path)) {
        const std::string child = path + "\\" + entry.name;
        if (entry.directory) {
            complete = DeleteTree(child) && complete;
        } else {
            const std::wstring file = Widen(child);
            ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            complete = Check(::DeleteFileW(file.c_str())) && complete;
        }
    }
    return Check(::RemoveDirectoryW(Widen(path).c_str())) && complete;
}

std::vector<DirEntry> Win32Files::Enumerate(const std::string& folder) const
{
    std::vector<DirEntry> entries;
    WIN32_FIND_DATAW data;
    ScopedFindHandle find(::FindFirstFileW(Widen(folder + "\\*").c_str(), &data));
    if (!find)
        return entries;
    do {
        const std::string name = Narrow(data.cFileName);
        if (name == "." || name == "..")
            continue;
        entries.push_back(DirEntry{name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                   (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0,
                                   (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    } while (::FindNextFileW(find.Get(), &data));
    return entries;
}

std::optional<std::string> Win32Files::ReadFile(const std::string& path) const
{
    ScopedKernelHandle file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!Check(file && ::GetFileSizeEx(file.Get(), &size)))
        return std::nullopt;
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!content.empty() &&
        !Check(::ReadFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr)))
        return std::nullopt;
    content.resize(read);
    return content;
}

bool Win32Files::WriteFile(const std::string& path, const std::string& content)
{
    ScopedKernelHandle file(
        ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return Check(file && WriteAll(file.Get(), content));
}

// Each addition is written through, not flushed to the disk: the system holds it once
// WriteFile returns, which is all a stopped process needs.
class Win32Files::Appender : public IAppendFile {
public:
    Appender(const Win32Files& files, ScopedKernelHandle file) : files_(files), file_(std::move(file)) {}
    bool Append(const std::string& content) override { return files_.Check(WriteAll(file_.Get(), content)); }

private:
    const Win32Files& files_;
    ScopedKernelHandle file_;
};

std::unique_ptr<IAppendFile> Win32Files::CreateForAppend(const std::string& path)
{
    ScopedKernelHandle file(::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!Check(static_cast<bool>(file)))
        return nullptr;
    return std::make_unique<Appender>(*this, std::move(file));
}

std::string Win32Files::SystemDirectory() const
{
    return BufferText([](wchar_t* buffer, DWORD size) { return ::GetSystemDirectoryW(buffer, size); });
}

std::string Win32Files::TempDirectory() const
{
    return WithoutTrailingDelimiter(BufferText([](wchar_t* buffer, DWORD size) { return ::GetTempPathW(size, buffer); }));
}

std::string Win32Files::CurrentDirectory() const
{
    return BufferText([](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); });
}

bool Win32Files::SetCurrentDirectory(const std::string& path)
{
    return Check(::SetCurrentDirectoryW(Widen(path).c_str()));
}

std::string Win32Files::FullPath(const std::string& path) const
{
    const std::wstring wide = Widen(path);
    return BufferText([&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(wide.c_str(), size, buffer, nullptr); });
}

std::string Win32Files::ShortPath(const std::string& path) const
{
    const std::wstring wide = Widen(path);
    std::string shortPath =
        BufferText([&](wchar_t* buffer, DWORD size) { return ::GetShortPathNameW(wide.c_str(), buffer, size); });
    Check(!shortPath.empty());
    return shortPath;
}

std::optional<FileVersionInfo> Win32Files::FileVersion(const std::string& path) const
{
    const std::wstring file = Widen(path);
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0)
        return std::nullopt;
    std::vector<char> data(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, data.data()))
        return std::nullopt;

    FileVersionInfo info;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed != nullptr)
        info.fixed = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                      LOWORD(fixed->dwFileVersionLS)};

    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    if (::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                         &length) &&
        length >= sizeof *translation) {
        wchar_t key[64];
        wsprintfW(key, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation->language, translation->codePage);
        wchar_t* text = nullptr;
        if (::VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&text), &length) && text != nullptr)
            info.fileVersion = Narrow(text);
    }
    return info;
}

} // namespace corvalis
