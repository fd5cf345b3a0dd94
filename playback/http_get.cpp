#include "playback/http_get.h"

#include <mutex>

#include <curl/curl.h>

#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

std::mutex authoritiesLock;
std::string authoritiesFile;

struct Ttransfer {
    ThttpAnswer* Answer;
    int64_t MaxBytes;
    bool Oversize = false;
    const ThttpProgress* Progress;
    bool Stopped = false;
};

size_t Receive(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Ttransfer*>(user);
    const size_t n = size * count;
    if (int64_t(t->Answer->Body.size() + n) > t->MaxBytes) {
        t->Oversize = true;
        return 0;  // anything other than n makes libcurl stop with a write error
    }
    t->Answer->Body.append(data, n);
    return n;
}

int Progress(void* user, curl_off_t total, curl_off_t done, curl_off_t, curl_off_t) {
    auto* t = static_cast<Ttransfer*>(user);
    if (*t->Progress && !(*t->Progress)(int64_t(done), int64_t(total))) {
        t->Stopped = true;
        return 1;
    }
    return 0;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Characters that may stand in a URL as they are: unreserved ones and the delimiters.
bool AllowedInUrl(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    static constexpr std::string_view kKept = "-._~:/?#[]@!$&'()*+,;=";
    return kKept.find(char(c)) != std::string_view::npos;
}

}  // namespace

void SetHttpsAuthorities(const std::string& pemFile) {
    std::lock_guard lock(authoritiesLock);
    authoritiesFile = pemFile;
}

std::string EncodeAddress(std::string_view address) {
    std::string out;
    out.reserve(address.size());
    for (size_t i = 0; i < address.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(address[i]);
        const bool escape = c == '%' && i + 2 < address.size() && IsHexDigit(address[i + 1]) &&
                            IsHexDigit(address[i + 2]);
        if (AllowedInUrl(c) || escape)
            out.push_back(char(c));
        else
            out += Format("%%%2.2x", unsigned(c));
    }
    return out;
}

bool HttpGet(const std::string& url, const ThttpLimits& limits, ThttpAnswer& answer,
             const ThttpProgress& progress) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    answer = {};
    CURL* curl = curl_easy_init();
    if (!curl) {
        answer.Error = "cannot start an HTTP transfer";
        return false;
    }
    Ttransfer transfer{&answer, limits.MaxBytes, false, &progress, false};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // The server's certificate must chain to a trusted authority and name the host.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    {
        std::lock_guard lock(authoritiesLock);
        if (!authoritiesFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, authoritiesFile.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, long(limits.MaxRedirects));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(limits.ConnectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(limits.TotalTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits.MaxBytes));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Receive);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    char detail[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.Status);
    char* type = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) answer.ContentType = type;
    curl_easy_cleanup(curl);
    if (code != CURLE_OK) {
        answer.Error = transfer.Stopped ? "transfer cancelled"
                       : transfer.Oversize || code == CURLE_FILESIZE_EXCEEDED
                           ? "answer larger than the size limit"
                       : detail[0] ? detail  // says which check failed, e.g. the certificate's
                                   : curl_easy_strerror(code);
        answer.Body.clear();
        return false;
    }
    if (answer.Status < 200 || answer.Status > 299) {
        answer.Error = Format("HTTP status %ld", answer.Status);
        answer.Body.clear();
        return false;
    }
    return true;
}

}  // namespace tunecrest
