#include "skin/modal_runner.h"

#include <QDialog>

namespace tunecrest {

namespace {

class TexecRunner : public TmodalRunner {
public:
    int Run(QDialog& dialog) override { return dialog.exec(); }
};

std::shared_ptr<TmodalRunner>& InstalledRunner()
{
    static std::shared_ptr<TmodalRunner> runner = std::make_shared<TexecRunner>();
    return runner;
}

}  // namespace

std::shared_ptr<TmodalRunner> SetModalRunner(std::shared_ptr<TmodalRunner> runner)
{
    auto previous = InstalledRunner();
    InstalledRunner() = runner ? std::move(runner) : std::make_shared<TexecRunner>();
    return previous;
}

int RunModal(QDialog& dialog)
{
    // Keep the runner alive even if the dialog installs another while it runs.
    const std::shared_ptr<TmodalRunner> runner = InstalledRunner();
    return runner->Run(dialog);
}

}  // namespace tunecrest
