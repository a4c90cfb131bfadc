#include <windows.h>

#include "platform/language_library.h"
#include "platform/utf8.h"

namespace harbrook::platform {
namespace {

class ResourceLibrary final : public LanguageLibrary {
  public:
    explicit ResourceLibrary(HMODULE module) : m_module(module) {}
    // Loaded once per start and kept for the life of the process, as the
    // texts are; freeing it is still right when the object goes.
    ~ResourceLibrary() override { FreeLibrary(m_module); }

    std::optional<std::string> Find(unsigned id) const override {
        // With a capacity of 0 LoadStringW hands out the resource's own text
        // (not terminated) and its length, so the whole text is converted and
        // the caller cuts it without splitting a surrogate pair.
        const wchar_t* text = nullptr;
        const int length = LoadStringW(m_module, id, reinterpret_cast<wchar_t*>(&text), 0);
        if (length <= 0 || !text) return std::nullopt;
        std::string utf8;
        const std::u16string_view wide(reinterpret_cast<const char16_t*>(text),
                                       static_cast<std::size_t>(length));
        if (!Utf16ToUtf8(wide, utf8)) return std::nullopt;
        return utf8;
    }

  private:
    HMODULE m_module;
};

}  // namespace

std::unique_ptr<LanguageLibrary> LoadLanguageLibrary(const std::filesystem::path& file) {
    // As data only: nothing of the file runs, and a library built for another
    // machine type still serves its texts.
    const HMODULE module = LoadLibraryExW(
        file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return nullptr;
    return std::make_unique<ResourceLibrary>(module);
}

std::string_view LanguageLibraryExtension() {
    return ".dll";
}

}  // namespace harbrook::platform
