#pragma once
// An "https" server on 127.0.0.1 for tests: a certificate authority made in the test
// (never a real one), certificates it issues for chosen names, and the loopback HTTP
// server of http_server.h speaking TLS with one of them. Tests link OpenSSL::SSL.
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <pthread.h>
#include <signal.h>

#include <ctime>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/http_server.h"

namespace tunecrest::test {

struct TpemKey {
    std::string Certificate;  // PEM
    std::string PrivateKey;   // PEM
};

namespace tls_detail {

using Tkey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Tcert = std::unique_ptr<X509, decltype(&X509_free)>;

inline Tkey NewKey() {
    Tkey key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    if (!key) throw std::runtime_error("cannot make a key");
    return key;
}

inline std::string KeyPem(EVP_PKEY* key) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
    PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, size_t(n));
}

inline std::string CertPem(X509* cert) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
    PEM_write_bio_X509(bio.get(), cert);
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, size_t(n));
}

inline void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    if (!ext) throw std::runtime_error("bad certificate extension " + value);
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

// A certificate for `subject` with `key`, signed by `issuerKey` (itself when the issuer is
// null), valid from `fromDays` to `toDays` days from now.
inline Tcert MakeCert(const std::string& subject, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey, bool authority,
                      const std::string& altNames, long fromDays, long toDays, long serial) {
    Tcert cert(X509_new(), X509_free);
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), fromDays * 86400);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), toDays * 86400);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(subject.c_str()),
                               -1, -1, 0);
    X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name);
    X509* signer = issuer ? issuer : cert.get();
    if (authority) {
        AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
        AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
        if (!altNames.empty()) AddExtension(cert.get(), signer, NID_subject_alt_name, altNames);
    }
    AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
    if (!X509_sign(cert.get(), issuerKey, EVP_sha256())) throw std::runtime_error("cannot sign a certificate");
    return cert;
}

}  // namespace tls_detail

// A certificate authority of the test's own.
class TtestAuthority {
public:
    explicit TtestAuthority(const std::string& name = "Tunecrest Test Authority")
        : Fkey(tls_detail::NewKey()),
          Fcert(tls_detail::MakeCert(name, Fkey.get(), nullptr, Fkey.get(), true, "", -1, 30, 1)) {}

    std::string CertificatePem() const { return tls_detail::CertPem(Fcert.get()); }
    // Writes the authority's certificate to `path` (what a client is told to trust).
    void WriteCertificate(const std::string& path) const { std::ofstream(path) << CertificatePem(); }

    // A server certificate for `altNames` ("IP:127.0.0.1,DNS:localhost"), valid from
    // `fromDays` to `toDays` days from now.
    TpemKey Issue(const std::string& altNames, long fromDays = -1, long toDays = 30) {
        auto key = tls_detail::NewKey();
        auto cert = tls_detail::MakeCert("tunecrest test server", key.get(), Fcert.get(), Fkey.get(), false, altNames,
                                         fromDays, toDays, ++Fserial);
        return {tls_detail::CertPem(cert.get()), tls_detail::KeyPem(key.get())};
    }

private:
    tls_detail::Tkey Fkey;
    tls_detail::Tcert Fcert;
    long Fserial = 1;
};

// A connection that speaks TLS over an accepted socket.
class TtlsConnection : public ThttpConnection {
public:
    TtlsConnection(int fd, SSL* ssl) : ThttpConnection(fd), Fssl(ssl) {}
    ~TtlsConnection() override {
        SSL_shutdown(Fssl);
        SSL_free(Fssl);
    }
    long Read(char* buffer, size_t size, int waitMs) override {
        if (SSL_pending(Fssl) == 0) {
            pollfd p{Ffd, POLLIN, 0};
            if (::poll(&p, 1, waitMs) <= 0) return 0;
        }
        const int n = SSL_read(Fssl, buffer, int(size));
        if (n > 0) return n;
        const int code = SSL_get_error(Fssl, n);
        return code == SSL_ERROR_WANT_READ || code == SSL_ERROR_WANT_WRITE ? 0 : -1;
    }
    bool Write(const char* data, size_t n) override {
        while (n > 0) {
            const int sent = SSL_write(Fssl, data, int(n));
            if (sent <= 0) return false;
            data += sent;
            n -= size_t(sent);
        }
        return true;
    }

private:
    SSL* Fssl;
};

// The loopback HTTP server over TLS, showing `identity`. Connections whose handshake fails
// (a client that refuses the certificate) are counted and dropped.
class TloopbackHttpsServer {
public:
    TloopbackHttpsServer(const TpemKey& identity, TloopbackHttpServer::Handler handler)
        : Fctx(MakeContext(identity)), Fserver(std::move(handler), [this](int fd) { return Wrap(fd); }) {}

    int Port() const { return Fserver.Port(); }
    std::string Url(const std::string& target) const { return Fserver.Url(target, "https"); }
    std::vector<std::string> Requests() const { return Fserver.Requests(); }
    int FailedHandshakes() const { return FfailedHandshakes; }

private:
    using Tctx = std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)>;

    static Tctx MakeContext(const TpemKey& identity) {
        Tctx ctx(SSL_CTX_new(TLS_server_method()), SSL_CTX_free);
        std::unique_ptr<BIO, decltype(&BIO_free)> certBio(
            BIO_new_mem_buf(identity.Certificate.data(), int(identity.Certificate.size())), BIO_free);
        std::unique_ptr<BIO, decltype(&BIO_free)> keyBio(
            BIO_new_mem_buf(identity.PrivateKey.data(), int(identity.PrivateKey.size())), BIO_free);
        X509* cert = PEM_read_bio_X509(certBio.get(), nullptr, nullptr, nullptr);
        EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr);
        const bool ok = ctx && cert && key && SSL_CTX_use_certificate(ctx.get(), cert) == 1 &&
                        SSL_CTX_use_PrivateKey(ctx.get(), key) == 1;
        X509_free(cert);
        EVP_PKEY_free(key);
        if (!ok) throw std::runtime_error("cannot set up the TLS server");
        return ctx;
    }

    std::unique_ptr<ThttpConnection> Wrap(int fd) {
        // Runs on the connection's own thread. TLS writes with write(), so a client that
        // hangs up on a certificate it refuses would end the test program with SIGPIPE:
        // blocked on this thread, the write fails instead.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        SSL* ssl = SSL_new(Fctx.get());
        SSL_set_fd(ssl, fd);
        // The client's handshake comes at once on loopback; a client that gives up closes.
        timeval limit{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        if (SSL_accept(ssl) != 1) {
            ++FfailedHandshakes;
            SSL_free(ssl);
            ERR_clear_error();
            return nullptr;
        }
        return std::make_unique<TtlsConnection>(fd, ssl);
    }

    Tctx Fctx;
    std::atomic<int> FfailedHandshakes{0};
    TloopbackHttpServer Fserver;  // last: its threads use the members above
};

}  // namespace tunecrest::test
