// http_probe URL FILE: one DownloadToFile, as the update checker makes it;
// prints the outcome's name. https_refused.sh drives it.
#include <cstdio>
#include <string>

#include "platform/http.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: http_probe URL FILE\n", stderr);
        return 2;
    }
    using harbrook::platform::HttpOutcome;
    const HttpOutcome outcome = harbrook::platform::DownloadToFile(argv[1], argv[2], "Harbrook");
    const char* name = outcome == HttpOutcome::NotOpened     ? "NotOpened"
                       : outcome == HttpOutcome::NoLocalFile ? "NoLocalFile"
                       : outcome == HttpOutcome::Broken      ? "Broken"
                                                             : "Copied";
    std::printf("%s\n", name);
    return 0;
}
