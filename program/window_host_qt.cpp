#include "program/window_host.h"
#include "ui/qt/qt_host.h"

namespace harbrook {

std::unique_ptr<FrontEndHost> MakeWindowHost(const Options& options) {
    if (!HasDisplay()) return nullptr;
    return MakeQtHost(options);
}

}  // namespace harbrook
