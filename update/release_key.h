// The release key: every installer the update check starts must carry a
// signature made with its secret half (see "Signing a release" in the README).
#pragma once

#include <string_view>

namespace harbrook {

// minisign public key line (key id 6B036137A2692967).
inline constexpr std::string_view kReleasePublicKey =
    "RWRnKWmiN2EDawS5iEYGVppIKD6qct31jlLuhWukIftP6pVN+1bu/GP0";

}  // namespace harbrook
