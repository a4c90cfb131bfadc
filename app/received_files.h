// The received-files panel's decisions: which backup folders exist, and what
// a click on a category button opens or says. The front end opens the
// folders in the file manager and shows the messages.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "backup/storage_layout.h"
#include "locale/string_ids.h"

namespace harbrook {

// What FindPhoneFolders looks at: the connected phone's name (empty when
// none is connected), the stored backup root, and the volumes to search.
struct ReceivedFilesSources {
    std::string phoneName;
    std::optional<std::filesystem::path> storedRoot;
    const VolumeSource* volumes = nullptr;  // the system's when null
};

// The folders to look in: the connected phone's folder under the stored
// root, else the backup folders found under the stored root and on the
// storage volumes (all of them when there are several, else the first phone
// folder in the only one).
// False when there is nothing to look in.
bool FindPhoneFolders(const ReceivedFilesSources& sources,
                      std::vector<std::filesystem::path>& folders);

struct FolderAction {
    std::optional<unsigned> message;          // a string ID, shown first
    std::vector<std::filesystem::path> open;  // then opened in this order
};

// A click on the category button whose folder is named by folderStringId.
FolderAction OpenCategoryFolder(const ReceivedFilesSources& sources, unsigned folderStringId);

// The four buttons of the panel, in order: caption, description, folder.
struct CategoryButtonTexts {
    unsigned caption;
    unsigned description;
    unsigned folder;
};
inline constexpr CategoryButtonTexts kCategoryButtons[4] = {
    {kStrCameraButton, kStrCameraButtonHint, kStrFolderCamera},
    {kStrOtherButton, kStrOtherButtonHint, kStrFolderOther},
    {kStrDocumentButton, kStrDocumentButtonHint, kStrFolderDocuments},
    {kStrAudioButton, kStrAudioButtonHint, kStrFolderAudio},
};

}  // namespace harbrook
