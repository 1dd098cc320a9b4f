#include "general_utils.h"

std::u16string FileVersionText(const std::filesystem::path& /*FileName*/) {
    return u"NoVersionInfo";
}
