#include <curl/curl.h>

#include <cstdio>
#include <mutex>

#include "platform/http.h"

namespace harbrook::platform {
namespace {

// The body goes to disk as it arrives; the file is created on the first
// byte of the answer so that an address that never answers leaves an older
// file of the same name alone.
struct Sink {
    const std::filesystem::path* file;
    std::FILE* out = nullptr;
    bool cannotCreate = false;
    bool writeFailed = false;

    bool Open() {
        if (out) return true;
        out = std::fopen(file->c_str(), "wb");
        cannotCreate = out == nullptr;
        return out != nullptr;
    }
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    if (!sink->Open()) return 0;  // aborts the transfer
    if (std::fwrite(data, 1, bytes, sink->out) != bytes) {
        sink->writeFailed = true;
        return 0;
    }
    return bytes;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancelled = static_cast<const std::function<bool()>*>(user);
    return (*cancelled)() ? 1 : 0;  // non-zero aborts
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

HttpOutcome DownloadToFile(const std::string& address, const std::filesystem::path& file,
                           const std::string& agent, const HttpOptions& options) {
    InitCurlOnce();
    CURL* curl = curl_easy_init();
    if (!curl) return HttpOutcome::NotOpened;
    Sink sink{&file};
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.c_str());
    // A description file names the installer's addresses: nothing but the web.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // The server's certificate and name are checked against the system's
    // trusted authorities (libcurl's defaults, spelled out so that they stay).
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // worker threads: no SIGALRM
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 2048L);
    // Always the server's current copy, never one from a cache on the way.
    struct curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    if (!options.keepConnection) headers = curl_slist_append(headers, "Connection: close");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    if (options.connectTimeout.count() > 0) {
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(options.connectTimeout.count()));
    }
    if (options.cancelled) {
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &options.cancelled);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);

    HttpOutcome outcome;
    if (sink.cannotCreate) {
        outcome = HttpOutcome::NoLocalFile;
    } else if (code == CURLE_OK) {
        // An empty body still makes an (empty) file.
        outcome = sink.Open() ? HttpOutcome::Copied : HttpOutcome::NoLocalFile;
    } else {
        outcome = status == 0 && !sink.out ? HttpOutcome::NotOpened : HttpOutcome::Broken;
    }
    if (sink.out && std::fclose(sink.out) != 0 && outcome == HttpOutcome::Copied) {
        outcome = HttpOutcome::Broken;
    }
    return outcome;
}

}  // namespace harbrook::platform
