#pragma once
// Opening a finished document (a report) with the desktop's default application for
// its type. platform/ installs the Linux implementation; the default opens nothing.
#include <memory>
#include <string>

namespace tunecrest {

class TdocumentOpener {
public:
    virtual ~TdocumentOpener() = default;
    // Starts the application and returns without waiting for it; false with a reason
    // when it cannot be started.
    virtual bool OpenDocument(const std::string& fileName, std::string& error);
};

TdocumentOpener& DocumentOpener();
// Installs an opener; nullptr restores the default. Returns the previous one.
std::shared_ptr<TdocumentOpener> SetDocumentOpener(std::shared_ptr<TdocumentOpener> opener);

}  // namespace tunecrest
