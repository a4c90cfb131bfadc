#include "locale/system_error.h"

#include "locale/string_ids.h"
#include "locale/ui_strings.h"

namespace harbrook {

std::string DescribeFileError(const platform::FileError& error) {
    unsigned words = kStrErrorOther;
    switch (error.kind) {
        case platform::FileErrorKind::DiskFull:
            words = kStrErrorDiskFull;
            break;
        case platform::FileErrorKind::NotPermitted:
            words = kStrErrorNotPermitted;
            break;
        case platform::FileErrorKind::BadName:
            words = kStrErrorBadName;
            break;
        case platform::FileErrorKind::NotFound:
            words = kStrErrorNotFound;
            break;
        case platform::FileErrorKind::Other:
            break;
    }
    return FormatUiText(LoadUiString(kStrSystemErrorCode, 512),
                        {LoadUiString(words, 512), std::to_string(error.code)});
}

}  // namespace harbrook
