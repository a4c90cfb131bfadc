#include "platform/language_library.h"
#include "platform/string_catalogue.h"

namespace harbrook::platform {
namespace {

class CatalogueLibrary final : public LanguageLibrary {
  public:
    explicit CatalogueLibrary(StringCatalogue catalogue) : m_catalogue(std::move(catalogue)) {}
    std::optional<std::string> Find(unsigned id) const override {
        const auto text = m_catalogue.Find(id);
        if (!text || text->empty()) return std::nullopt;
        return std::string(*text);
    }

  private:
    StringCatalogue m_catalogue;
};

}  // namespace

std::unique_ptr<LanguageLibrary> LoadLanguageLibrary(const std::filesystem::path& file) {
    auto catalogue = StringCatalogue::ReadFile(file);
    if (!catalogue) return nullptr;
    return std::make_unique<CatalogueLibrary>(std::move(*catalogue));
}

std::string_view LanguageLibraryExtension() {
    return ".catalog";
}

}  // namespace harbrook::platform
