#include "core/Version.h"

#include "ide/Utils.h"
#include "platform/Exceptions.h"

namespace corvalis {

TVersion::TVersion(const std::string& text)
{
    if (Trim(text).empty())
        throw Exception("Bad version string");
    std::string groups[4];
    size_t at = 0;
    for (std::string& group : groups) {
        while (at < text.size() && text[at] == '.')
            ++at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            group += text[at++];
    }
    if (groups[0].empty() || groups[1].empty() || groups[2].empty())
        return;
    Major = groups[0];
    Minor = groups[1];
    Release = groups[2];
    Build = groups[3];
    EditionText = Trim(text.substr(at));
    WithSources = EndsText("With Sources", EditionText);
}

std::string TVersion::NumberText() const
{
    return Major + "." + Minor + "." + Release + (Build.empty() ? "" : "." + Build);
}

std::string TVersion::EditionName() const
{
    return WithSources ? "Standard Edition With Sources" : "Standard Edition";
}

std::string TVersion::DisplayText() const
{
    return NumberText() + " " + EditionName();
}

} // namespace corvalis
