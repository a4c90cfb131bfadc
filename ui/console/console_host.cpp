#include "ui/console/console_host.h"

#include <cstdio>

#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "platform/console.h"
#include "platform/quit_request.h"
#include "ui/console/console_frontend.h"

namespace harbrook {
namespace {

class ConsoleHost final : public FrontEndHost {
  public:
    ConsoleHost() : m_ui(stdout, platform::IsTerminal(stdout)) {}

    AppFrontend& Ui() override { return m_ui; }

    void Run(Application& app) override {
        m_ui.SetCodeShownHandler([&app] { app.PairingCodeShown(); });
        m_ui.PrintWelcome();
        const char* why = platform::WaitForQuitRequest();
        std::fprintf(stdout, "%s\n", FormatUiText(LoadUiString(kStrQuitting, 512), {why}).c_str());
        std::fflush(stdout);
        m_ui.SetCodeShownHandler({});
    }

  private:
    ConsoleFrontend m_ui;
};

}  // namespace

std::unique_ptr<FrontEndHost> MakeConsoleHost() {
    return std::make_unique<ConsoleHost>();
}

}  // namespace harbrook
