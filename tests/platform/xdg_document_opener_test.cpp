#include "platform/xdg_document_opener.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/base/safe_file.h"
#include "support/temp_dir.h"

using namespace tunecrest;

TEST(XdgDocumentOpener, StartsTheProgramWithTheFileAndDoesNotWait) {
    test::TempDir dir;
    const std::string marker = dir.File("opened.txt");
    const std::string script = dir.File("fake-open");
    // The stand-in opener records its argument, then lingers; the caller must not wait for it.
    ASSERT_TRUE(SafeWriteFile(script, "#!/bin/sh\nprintf '%s' \"$1\" > \"" + marker + ".tmp\"\nmv \"" + marker +
                                          ".tmp\" \"" + marker + "\"\nsleep 3\n"));
    chmod(script.c_str(), 0755);
    TxdgDocumentOpener opener(script);
    const std::string document = dir.File("report with spaces \"quoted\".txt");
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(opener.OpenDocument(document, error)) << error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    std::string got;
    for (int i = 0; i < 500 && !ReadFileBytes(marker, got); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(got, document);

    TxdgDocumentOpener missing(dir.File("no-such-program"));
    EXPECT_FALSE(missing.OpenDocument(document, error));
    EXPECT_NE(error.find("no-such-program"), std::string::npos);
}
