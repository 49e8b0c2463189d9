#include "platform/memory/MemoryFiles.h"

#include <algorithm>
#include <functional>

#include "platform/PathText.h"
#include "platform/memory/DeepCopy.h"

namespace corvalis {
namespace {

constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kDirNotEmpty = 145;
constexpr uint32_t kAlreadyExists = 183;

using Node = MemoryFiles::Node;

std::string Join(const std::vector<std::string>& parts)
{
    std::string path = parts.front() + "\\";
    for (size_t i = 1; i < parts.size(); ++i)
        path += (i > 1 ? "\\" : "") + parts[i];
    return path;
}

bool ContainsInUse(const Node& node)
{
    if (node.inUse)
        return true;
    return std::any_of(node.children.begin(), node.children.end(), [](const auto& c) { return ContainsInUse(*c); });
}

} // namespace

MemoryFiles::MemoryFiles()
{
    ForceDirectories(systemDirectory_);
    ForceDirectories(tempDirectory_);
}

// Drive first ("C:"), then the folder names; "." and ".." resolved. Empty when the path
// cannot name anything.
std::vector<std::string> MemoryFiles::Parts(const std::string& path) const
{
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    std::string full;
    if (p.size() >= 2 && p[1] == ':')
        full = p;
    else if (!p.empty() && p[0] == '\\')
        full = currentDirectory_.substr(0, 2) + p;
    else
        full = currentDirectory_ + "\\" + p;

    std::vector<std::string> parts;
    for (const std::string& part : SplitKeyPath(full.substr(2))) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    parts.insert(parts.begin(), std::string(1, AsciiUpper(full[0])) + ":");
    return parts;
}

std::shared_ptr<Node> MemoryFiles::Find(const std::vector<std::string>& parts, size_t count) const
{
    auto drive = drives_.find(parts.front());
    if (drive == drives_.end())
        return nullptr;
    std::shared_ptr<Node> node = drive->second;
    for (size_t i = 1; i < count && node; ++i) {
        const auto& children = node->children;
        auto it = std::lower_bound(children.begin(), children.end(), parts[i],
                                   [](const auto& c, const std::string& n) { return NameLess(c->name, n); });
        node = it != children.end() && SameName((*it)->name, parts[i]) ? *it : nullptr;
    }
    return node;
}

bool MemoryFiles::Fail(uint32_t code) const
{
    lastError_ = code;
    return false;
}

void MemoryFiles::Attach(const std::shared_ptr<Node>& parent, std::shared_ptr<Node> child)
{
    auto& children = parent->children;
    auto it = std::lower_bound(children.begin(), children.end(), child->name,
                               [](const auto& c, const std::string& n) { return NameLess(c->name, n); });
    children.insert(it, std::move(child));
}

bool MemoryFiles::Detach(const std::vector<std::string>& parts)
{
    if (parts.size() < 2)
        return false;
    std::shared_ptr<Node> parent = Find(parts, parts.size() - 1);
    auto& children = parent->children;
    auto it =
        std::find_if(children.begin(), children.end(), [&](const auto& c) { return SameName(c->name, parts.back()); });
    children.erase(it);
    return true;
}

bool MemoryFiles::FileExists(const std::string& path) const
{
    auto node = Find(path);
    return node && !node->directory;
}

bool MemoryFiles::DirectoryExists(const std::string& path) const
{
    auto node = Find(path);
    return node && node->directory;
}

bool MemoryFiles::CreateDirectory(const std::string& path)
{
    if (!MayChange(path))
        return false;
    std::vector<std::string> parts = Parts(path);
    if (parts.size() == 1) {
        if (drives_.count(parts.front()))
            return Fail(kAlreadyExists);
        auto root = std::make_shared<Node>();
        root->name = parts.front();
        root->directory = true;
        drives_[parts.front()] = root;
        return true;
    }
    if (Find(parts))
        return Fail(kAlreadyExists);
    auto parent = Find(parts, parts.size() - 1);
    if (!parent || !parent->directory)
        return Fail(kPathNotFound);
    auto dir = std::make_shared<Node>();
    dir->name = parts.back();
    dir->directory = true;
    Attach(parent, dir);
    return true;
}

bool MemoryFiles::ForceDirectories(const std::string& path)
{
    if (!MayChange(path))
        return false;
    std::vector<std::string> parts = Parts(path);
    for (size_t n = 1; n <= parts.size(); ++n) {
        auto node = Find(parts, n);
        if (node && !node->directory)
            return Fail(kAlreadyExists);
        if (!node && !CreateDirectory(Join(std::vector<std::string>(parts.begin(), parts.begin() + n))))
            return false;
    }
    return true;
}

bool MemoryFiles::CopyFile(const std::string& from, const std::string& to)
{
    if (!MayChange(to))
        return false;
    auto source = Find(from);
    if (!source || source->directory)
        return Fail(kFileNotFound);
    if (auto target = Find(to)) {
        if (target->directory || target->inUse)
            return Fail(kAccessDenied);
        target->content = source->content;
        target->version = source->version;
        return true;
    }
    std::vector<std::string> parts = Parts(to);
    auto parent = Find(parts, parts.size() - 1);
    if (!parent || !parent->directory)
        return Fail(kPathNotFound);
    auto copy = std::make_shared<Node>(*source);
    copy->name = parts.back();
    copy->inUse = false;
    copy->hidden = false;
    Attach(parent, copy);
    return true;
}

bool MemoryFiles::MoveFile(const std::string& from, const std::string& to)
{
    if (!MayChange(from))
        return false;
    std::vector<std::string> sourceParts = Parts(from);
    std::vector<std::string> targetParts = Parts(to);
    auto source = Find(sourceParts);
    if (!source || sourceParts.size() < 2)
        return Fail(kFileNotFound);
    auto parent = Find(targetParts, targetParts.size() - 1);
    if (!parent || !parent->directory)
        return Fail(kPathNotFound);
    if (auto target = Find(targetParts)) {
        if (target == source)
            return true;
        if (target->directory || source->directory || target->inUse)
            return Fail(kAccessDenied);
        Detach(targetParts);
    }
    Detach(sourceParts);
    source->name = targetParts.back();
    Attach(parent, source);
    return true;
}

bool MemoryFiles::DeleteFile(const std::string& path)
{
    if (!MayChange(path))
        return false;
    std::vector<std::string> parts = Parts(path);
    auto node = Find(parts);
    if (!node)
        return Fail(kFileNotFound);
    if (node->directory || node->inUse)
        return Fail(kAccessDenied);
    return Detach(parts);
}

bool MemoryFiles::Recycle(const std::string& path)
{
    if (!MayChange(path))
        return false;
    std::vector<std::string> parts = Parts(path);
    auto node = Find(parts);
    if (!node || parts.size() < 2)
        return Fail(kFileNotFound);
    if (ContainsInUse(*node))
        return Fail(kAccessDenied);
    Detach(parts);
    recycled_.push_back(Join(parts));
    return true;
}

bool MemoryFiles::DeleteTree(const std::string& path)
{
    if (!MayChange(path))
        return false;
    std::vector<std::string> parts = Parts(path);
    auto node = Find(parts);
    if (!node || !node->directory || parts.size() < 2)
        return Fail(kPathNotFound);
    // Like a delete file by file: what is in use stays, with the folders holding it.
    std::function<bool(Node&)> prune = [&](Node& dir) {
        auto& children = dir.children;
        children.erase(std::remove_if(children.begin(), children.end(),
                                      [&](const auto& c) { return c->directory ? prune(*c) : !c->inUse; }),
                       children.end());
        return children.empty();
    };
    if (!prune(*node))
        return Fail(kDirNotEmpty);
    return Detach(parts);
}

std::vector<DirEntry> MemoryFiles::Enumerate(const std::string& folder) const
{
    std::vector<DirEntry> entries;
    auto node = Find(folder);
    if (!node || !node->directory)
        return entries;
    for (const auto& c : node->children)
        entries.push_back(DirEntry{c->name, c->directory, c->hidden, c->content.size()});
    return entries;
}

std::optional<std::string> MemoryFiles::ReadFile(const std::string& path) const
{
    auto node = Find(path);
    if (!node || node->directory) {
        Fail(kFileNotFound);
        return std::nullopt;
    }
    return node->content;
}

bool MemoryFiles::WriteFile(const std::string& path, const std::string& content)
{
    return Write(path, content, false);
}

// Each addition is a change of its own, as a stop point counts them.
class MemoryFiles::Appender : public IAppendFile {
public:
    Appender(MemoryFiles& files, std::string path) : files_(files), path_(std::move(path)) {}
    bool Append(const std::string& content) override { return files_.Write(path_, content, true); }

private:
    MemoryFiles& files_;
    std::string path_;
};

std::unique_ptr<IAppendFile> MemoryFiles::CreateForAppend(const std::string& path)
{
    if (!Write(path, "", false))
        return nullptr;
    return std::make_unique<Appender>(*this, path);
}

bool MemoryFiles::Write(const std::string& path, const std::string& content, bool append)
{
    if (!MayChange(path))
        return false;
    std::vector<std::string> parts = Parts(path);
    if (volume_ && parts.size() > volume_->parts.size() &&
        std::equal(volume_->parts.begin(), volume_->parts.end(), parts.begin(), SameName)) {
        if (content.size() > volume_->freeSpace)
            return Fail(kDiskFull);
        volume_->freeSpace -= content.size();
    }
    if (auto node = Find(parts)) {
        if (node->directory || node->inUse)
            return Fail(kAccessDenied);
        if (append)
            node->content += content;
        else
            node->content = content;
        node->version.reset();
        return true;
    }
    auto parent = Find(parts, parts.size() - 1);
    if (!parent || !parent->directory || parts.size() < 2)
        return Fail(kPathNotFound);
    auto file = std::make_shared<Node>();
    file->name = parts.back();
    file->content = content;
    Attach(parent, file);
    return true;
}

bool MemoryFiles::SetCurrentDirectory(const std::string& path)
{
    if (!DirectoryExists(path))
        return Fail(kPathNotFound);
    std::string full = FullPath(path);
    if (full.size() > 3 && full.back() == '\\')
        full.pop_back();
    currentDirectory_ = full;
    return true;
}

std::string MemoryFiles::FullPath(const std::string& path) const
{
    std::string full = Join(Parts(path));
    if (!path.empty() && (path.back() == '\\' || path.back() == '/') && full.back() != '\\')
        full += '\\';
    return full;
}

std::string MemoryFiles::ShortPath(const std::string& path) const
{
    if (!Find(path)) {
        Fail(kFileNotFound);
        return {};
    }
    return FullPath(path);
}

std::optional<FileVersionInfo> MemoryFiles::FileVersion(const std::string& path) const
{
    auto node = Find(path);
    if (!node || node->directory)
        return std::nullopt;
    return node->version;
}

bool MemoryFiles::MayChange(const std::string& path)
{
    return stopPoint_ == nullptr || stopPoint_->Change(path);
}

void MemoryFiles::CopyFilesOf(const MemoryFiles& other)
{
    drives_.clear();
    for (const auto& [drive, root] : other.drives_)
        drives_[drive] = DeepCopy(*root, &Node::children);
    recycled_ = other.recycled_;
}

void MemoryFiles::AddFile(const std::string& path, const std::string& content)
{
    std::vector<std::string> parts = Parts(path);
    ForceDirectories(Join(std::vector<std::string>(parts.begin(), parts.end() - 1)));
    WriteFile(path, content);
}

void MemoryFiles::SetHidden(const std::string& path, bool hidden)
{
    if (auto node = Find(path))
        node->hidden = hidden;
}

void MemoryFiles::SetFreeSpace(const std::string& folder, uint64_t bytes)
{
    volume_ = Volume{Parts(folder), bytes};
}

void MemoryFiles::SetInUse(const std::string& path, bool inUse)
{
    if (auto node = Find(path))
        node->inUse = inUse;
}

void MemoryFiles::SetFileVersion(const std::string& path, const FileVersionInfo& info)
{
    if (auto node = Find(path))
        node->version = info;
}

} // namespace corvalis
