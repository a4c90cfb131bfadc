#include "link/link_context.h"

#include "link/endpoints.h"

namespace harbrook {

std::string LinkContext::BuildMonitorEndpoint() {
    return BuildEndpoint(monitorPort, ports.monitor[0]);
}

std::string LinkContext::BuildBackupEndpoint() {
    return BuildEndpoint(backupPort, ports.backup[0]);
}

}  // namespace harbrook
