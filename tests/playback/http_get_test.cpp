#include "playback/http_get.h"

#include <gtest/gtest.h>

#include "support/http_server.h"
#include "support/temp_dir.h"
#include "support/tls_server.h"

namespace tunecrest {
namespace {

TEST(EncodeAddress, EscapesOnlyWhatAUrlMayNotHold) {
    EXPECT_EQ(EncodeAddress("host/covers/My Album/cover.jpg"), "host/covers/My%20Album/cover.jpg");
    // Letters are never escaped, capital Z included; nor the structure of the address.
    EXPECT_EQ(EncodeAddress("Zeta.example:8080/a/b.bmp?size=big&x=1#top"),
              "Zeta.example:8080/a/b.bmp?size=big&x=1#top");
    // Existing escapes stay; a lone "%" is escaped itself.
    EXPECT_EQ(EncodeAddress("h/a%20b/100%/c%2"), "h/a%20b/100%25/c%252");
    EXPECT_EQ(EncodeAddress("h/%41%e9"), "h/%41%e9");
    // Non-ASCII text goes out as its UTF-8 bytes.
    EXPECT_EQ(EncodeAddress("h/Caf\xc3\xa9 \"x\"<y>\\{|}^`"), "h/Caf%c3%a9%20%22x%22%3cy%3e%5c%7b%7c%7d%5e%60");
    EXPECT_EQ(EncodeAddress(std::string("h/a\nb\tc\x7f", 8)), "h/a%0ab%09c%7f");
    EXPECT_EQ(EncodeAddress("-._~!$'()*+,;@[]"), "-._~!$'()*+,;@[]");
    // Encoding twice changes nothing more.
    const std::string once = EncodeAddress("h/a b/\xc3\xa9");
    EXPECT_EQ(EncodeAddress(once), once);
}

TEST(HttpGet, LimitsAndFailures) {
    test::TloopbackHttpServer server([](const std::string& target) {
        test::ThttpReply reply;
        reply.ContentType = "image/bmp";
        if (target == "/ok") reply.Body = "hello";
        if (target == "/big") reply.Body = std::string(5000, 'x');
        if (target == "/big-unsized") reply.Body = std::string(5000, 'x'), reply.SendLength = false;
        if (target == "/cut") reply.Body = std::string(100, 'x'), reply.DeclaredLength = 4000;
        if (target == "/missing") reply.Status = 404, reply.Body = "no";
        if (target == "/loop") reply.Status = 302, reply.Location = "/loop";
        if (target == "/slow") reply.Body = std::string(400, 'x'), reply.ChunkDelayMs = 5;
        return reply;
    });
    ThttpLimits limits;
    limits.MaxBytes = 1000;
    limits.MaxRedirects = 3;
    ThttpAnswer answer;

    ASSERT_TRUE(HttpGet(server.Url("/ok"), limits, answer)) << answer.Error;
    EXPECT_EQ(answer.Body, "hello");
    EXPECT_EQ(answer.ContentType, "image/bmp");
    EXPECT_EQ(answer.Status, 200);

    // Over the cap, whether the length is announced or not.
    EXPECT_FALSE(HttpGet(server.Url("/big"), limits, answer));
    EXPECT_TRUE(answer.Body.empty());
    EXPECT_EQ(answer.Error, "answer larger than the size limit");
    EXPECT_FALSE(HttpGet(server.Url("/big-unsized"), limits, answer));
    EXPECT_EQ(answer.Error, "answer larger than the size limit");

    // An answer shorter than announced is a failure, not a picture.
    EXPECT_FALSE(HttpGet(server.Url("/cut"), limits, answer));
    EXPECT_TRUE(answer.Body.empty());

    EXPECT_FALSE(HttpGet(server.Url("/missing"), limits, answer));
    EXPECT_EQ(answer.Error, "HTTP status 404");

    // Redirects are followed only so far: the first request and three more.
    EXPECT_FALSE(HttpGet(server.Url("/loop"), limits, answer));
    int loops = 0;
    for (const auto& target : server.Requests()) loops += target == "/loop";
    EXPECT_EQ(loops, 4);

    // Other schemes are refused.
    EXPECT_FALSE(HttpGet("file:///etc/passwd", limits, answer));

    // The progress callback stops the transfer.
    int calls = 0;
    EXPECT_FALSE(HttpGet(server.Url("/slow"), limits, answer, [&](int64_t done, int64_t) {
        ++calls;
        return done < 20;
    }));
    EXPECT_EQ(answer.Error, "transfer cancelled");
    EXPECT_GT(calls, 0);
}

// "https" with the certificate checked: the server must show a certificate for the name
// asked for, in date, from an authority the client trusts. The system store trusts none of
// the test's own, so the test hands its authority over as the program never does.
class HttpsGet : public ::testing::Test {
protected:
    void SetUp() override { authority.WriteCertificate(trusted); }
    void TearDown() override { SetHttpsAuthorities(""); }
    static test::ThttpReply Picture(const std::string& target) {
        test::ThttpReply reply;
        reply.ContentType = "image/bmp";
        reply.Body = "picture of " + target;
        return reply;
    }
    test::TempDir dir;
    std::string trusted = dir.File("authority.pem");
    test::TtestAuthority authority;
    ThttpLimits limits;
    ThttpAnswer answer;
};

TEST_F(HttpsGet, AServerOfATrustedAuthorityAnswers) {
    test::TloopbackHttpsServer server(authority.Issue("IP:127.0.0.1,DNS:localhost"), Picture);
    SetHttpsAuthorities(trusted);
    ASSERT_TRUE(HttpGet(server.Url("/cover.bmp"), limits, answer)) << answer.Error;
    EXPECT_EQ(answer.Body, "picture of /cover.bmp");
    EXPECT_EQ(answer.ContentType, "image/bmp");
    // By its host name too, and with the scheme in capitals.
    ASSERT_TRUE(HttpGet("HTTPS://localhost:" + std::to_string(server.Port()) + "/a.bmp", limits, answer))
        << answer.Error;
    EXPECT_EQ(server.Requests().back(), "/a.bmp");
    // A plain server may send the client on to an https one.
    test::TloopbackHttpServer plain([&](const std::string&) {
        test::ThttpReply reply;
        reply.Status = 302;
        reply.Location = server.Url("/moved.bmp");
        return reply;
    });
    ASSERT_TRUE(HttpGet(plain.Url("/old.bmp"), limits, answer)) << answer.Error;
    EXPECT_EQ(answer.Body, "picture of /moved.bmp");
}

TEST_F(HttpsGet, CertificatesThatDoNotCheckOutAreRefused) {
    // The system's store does not know the test's authority.
    test::TloopbackHttpsServer server(authority.Issue("IP:127.0.0.1"), Picture);
    EXPECT_FALSE(HttpGet(server.Url("/cover.bmp"), limits, answer));
    EXPECT_TRUE(answer.Body.empty());
    EXPECT_NE(answer.Error.find("certificate"), std::string::npos) << answer.Error;
    EXPECT_TRUE(server.Requests().empty()) << "nothing was asked of an unchecked server";

    SetHttpsAuthorities(trusted);
    // A certificate for another name.
    test::TloopbackHttpsServer otherName(authority.Issue("DNS:pictures.example.net"), Picture);
    EXPECT_FALSE(HttpGet(otherName.Url("/cover.bmp"), limits, answer));
    EXPECT_FALSE(answer.Error.empty());
    // Out of date, or not yet valid.
    test::TloopbackHttpsServer expired(authority.Issue("IP:127.0.0.1", -30, -1), Picture);
    EXPECT_FALSE(HttpGet(expired.Url("/cover.bmp"), limits, answer));
    EXPECT_NE(answer.Error.find("expired"), std::string::npos) << answer.Error;
    test::TloopbackHttpsServer early(authority.Issue("IP:127.0.0.1", 2, 30), Picture);
    EXPECT_FALSE(HttpGet(early.Url("/cover.bmp"), limits, answer));
    // From an authority nobody trusts.
    test::TtestAuthority stranger("Stranger Authority");
    test::TloopbackHttpsServer strangers(stranger.Issue("IP:127.0.0.1"), Picture);
    EXPECT_FALSE(HttpGet(strangers.Url("/cover.bmp"), limits, answer));
    for (const auto* s : {&otherName, &expired, &early, &strangers})
        EXPECT_TRUE(s->Requests().empty());
    // The trusted one still answers, so the refusals were the certificates'.
    test::TloopbackHttpsServer good(authority.Issue("IP:127.0.0.1"), Picture);
    EXPECT_TRUE(HttpGet(good.Url("/cover.bmp"), limits, answer)) << answer.Error;
}

}  // namespace
}  // namespace tunecrest
