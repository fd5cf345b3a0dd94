#pragma once
// Opens documents with the desktop's default application through xdg-open. The
// program is started in a detached grandchild, so the caller never waits for it and
// leaves no zombie behind.
#include <string>

#include "core/base/document_opener.h"

namespace tunecrest {

class TxdgDocumentOpener : public TdocumentOpener {
public:
    explicit TxdgDocumentOpener(std::string program = "xdg-open") : Fprogram(std::move(program)) {}
    bool OpenDocument(const std::string& fileName, std::string& error) override;

private:
    std::string Fprogram;
};

// Installs TxdgDocumentOpener as the program's document opener.
void InstallXdgDocumentOpener();

}  // namespace tunecrest
