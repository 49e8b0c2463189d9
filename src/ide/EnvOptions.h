#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace corvalis {

enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

// A BDS IDE's EnvOptions.proj: the texts of the elements in a "PropertyGroup" of its root,
// the first one, or the one of a platform, chosen by its "Condition" (from XE2 on the first
// group is empty). Saving keeps the file's encoding and byte order mark and everything the
// installer did not change, and never leaves the file half-written.
class TEnvOptions {
public:
    // Raises an Exception with a message for the user when the file cannot be read or parsed.
    TEnvOptions(const Platform& platform, std::string path);
    ~TEnvOptions();

    // The element's text in the group of the condition (nullptr: the first group); nullopt
    // when there is no such element or no such group.
    std::optional<std::string> Value(const std::string& element, const char* condition = nullptr);
    // Creates the property group and the element when they are missing.
    void SetValue(const std::string& element, const std::string& text, const char* condition = nullptr);
    void Save();

    TextEncoding Encoding() const { return encoding_; }
    bool HasByteOrderMark() const { return byteOrderMark_; }

private:
    IXmlElement* PropertyGroup(const char* condition, bool create);

    const Platform& platform_;
    std::string path_;
    TextEncoding encoding_ = TextEncoding::Utf8;
    bool byteOrderMark_ = false;
    // The file breaks its lines with LF alone: an XML library that writes CR LF is undone.
    bool lineFeedsOnly_ = false;
    // The text around the root element (declaration, comments, white space), kept as read.
    std::u16string prologue_;
    std::u16string epilogue_;
    std::unique_ptr<IXmlDocument> document_;
};

} // namespace corvalis
