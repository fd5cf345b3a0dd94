#include "core/base/document_opener.h"

#include <mutex>

namespace tunecrest {

namespace {
std::mutex gMutex;
std::shared_ptr<TdocumentOpener> gOpener;
TdocumentOpener gDefault;
}  // namespace

bool TdocumentOpener::OpenDocument(const std::string& fileName, std::string& error) {
    error = "No application is set up to open " + fileName;
    return false;
}

TdocumentOpener& DocumentOpener() {
    std::lock_guard lock(gMutex);
    return gOpener ? *gOpener : gDefault;
}

std::shared_ptr<TdocumentOpener> SetDocumentOpener(std::shared_ptr<TdocumentOpener> opener) {
    std::lock_guard lock(gMutex);
    std::swap(gOpener, opener);
    return opener;
}

}  // namespace tunecrest
