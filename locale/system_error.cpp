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

namespace {

// The sentence, with the system's code after it when the system gave one.
std::string WithCode(std::string words, long code) {
    if (code == 0) return words;
    return FormatUiText(LoadUiString(kStrSystemErrorCode, 512), {words, std::to_string(code)});
}

}  // namespace

std::string DescribeStartAtLoginFailure(const platform::StartAtLoginFailure& failure,
                                        const std::string& place) {
    switch (failure.problem) {
        case platform::StartAtLoginProblem::NoPlace:
            return WithCode(LoadUiString(kStrStartAtLoginNoPlace, 512), failure.code);
        case platform::StartAtLoginProblem::ProgramUnknown:
            return WithCode(LoadUiString(kStrStartAtLoginNoProgram, 512), failure.code);
        case platform::StartAtLoginProblem::ProgramUnusable:
            return WithCode(LoadUiString(kStrStartAtLoginBadProgram, 512), failure.code);
        case platform::StartAtLoginProblem::CannotChange:
            break;
    }
    return WithCode(FormatUiText(LoadUiString(kStrStartAtLoginCannotChange, 512), {place}),
                    failure.code);
}

std::string DescribeDeliveryFailure(const platform::DeliveryFailure& failure) {
    unsigned words = kStrDeliveryNotListening;
    switch (failure.problem) {
        case platform::DeliveryProblem::NoChannel:
            words = kStrDeliveryNoChannel;
            break;
        case platform::DeliveryProblem::NotListening:
            break;
        case platform::DeliveryProblem::NotWritten:
            words = kStrDeliveryNotWritten;
            break;
        case platform::DeliveryProblem::NotConfirmed:
            words = kStrDeliveryNotConfirmed;
            break;
    }
    return WithCode(LoadUiString(words, 512), failure.code);
}

}  // namespace harbrook
