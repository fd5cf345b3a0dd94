#pragma once
// Fetching one resource by HTTP GET (pictures for the cover grid), through libcurl,
// with every limit an untrusted server needs: connect and total time-outs, a cap on the
// answer's size and on redirects, "http" and "https" only, and cancellation. An "https"
// server must show a certificate for its name from an authority the system trusts.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tunecrest {

struct ThttpLimits {
    int ConnectTimeoutMs = 10000;
    int TotalTimeoutMs = 60000;
    int64_t MaxBytes = int64_t(20) * 1024 * 1024;
    int MaxRedirects = 5;
};

struct ThttpAnswer {
    long Status = 0;            // HTTP status of the last answer (after redirects)
    std::string ContentType;    // as the server sent it, empty when it sent none
    std::string Body;
    std::string Error;          // why the transfer failed; empty on success
};

// Called while the transfer runs: bytes received so far and the expected total (0 while
// unknown). Returning false stops the transfer.
using ThttpProgress = std::function<bool(int64_t done, int64_t total)>;

// The certificate authorities "https" trusts: a PEM file of them, or, when empty (as the
// program runs), the system's store. Set before transfers start (tests trust their own).
void SetHttpsAuthorities(const std::string& pemFile);

// GETs `url` ("http://" or "https://"). True when a complete answer with a 2xx status arrived; false (with
// answer.Error) on a connection failure, a certificate that does not check out, a time-out, an answer over the size cap or cut
// short, a non-2xx status, or when `progress` asked to stop.
bool HttpGet(const std::string& url, const ThttpLimits& limits, ThttpAnswer& answer,
             const ThttpProgress& progress = {});

// The part of an address after "http://" or "https://" made safe to send: every byte that may not stand
// in a URL (blanks, quotes, angle brackets, backslashes, control characters and every byte
// of a non-ASCII UTF-8 character...) becomes "%" and two lower-case hex digits. Letters,
// digits, the characters URLs use for their own structure ("/", ":", "?", "=", "&", "#"...)
// and "%" that starts an existing escape are kept, so an encoded address stays unchanged.
std::string EncodeAddress(std::string_view address);

}  // namespace tunecrest
