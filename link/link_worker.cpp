#include "link/link_worker.h"

#include "core/settings_store.h"
#include "link/keywords.h"
#include "platform/utf8.h"

namespace harbrook {

std::string ReadPcId(std::size_t bufferSize) {
    std::string id;
    CSettingsStore().GetPcId(id);
    return std::string(platform::CutToBytes(id, bufferSize - 1));
}

std::string_view StatusWord(const LinkContext& link) {
    return link.state.IsDisconnectRequested() ? kw::kDisconnected : kw::kConnected;
}

}  // namespace harbrook
