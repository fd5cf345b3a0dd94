#pragma once
// A modal runner for tests: instead of a modal loop it shows the dialog, lets it lay
// out, and hands it to the next scripted answer, which clicks and types through QTest.
// A dialog the answer left open is closed and reported as a failure with mrNone, so a
// wrong script fails the test instead of hanging it.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>

#include "skin/modal_runner.h"

namespace tunecrest::test {

class TscriptedModalRunner : public TmodalRunner {
public:
    using Tanswer = std::function<void(QDialog&)>;

    void Push(Tanswer answer) { Fanswers.push_back(std::move(answer)); }

    int Run(QDialog& dialog) override
    {
        Titles.push_back(dialog.windowTitle().toStdString());
        Names.push_back(dialog.objectName().toStdString());
        dialog.setResult(mrNone);
        dialog.show();
        QCoreApplication::processEvents();
        if (Fanswers.empty()) {
            ADD_FAILURE() << "no scripted answer for dialog " << dialog.objectName().toStdString();
        } else {
            Tanswer answer = std::move(Fanswers.front());
            Fanswers.pop_front();
            answer(dialog);
            QCoreApplication::processEvents();
        }
        if (dialog.isVisible()) {
            if (!AllowOpen) ADD_FAILURE() << "dialog left open: " << dialog.objectName().toStdString();
            dialog.hide();
            return mrNone;
        }
        return dialog.result();
    }

    int Pending() const { return int(Fanswers.size()); }
    std::vector<std::string> Titles, Names;
    // A script that only looks (a screenshot, a state check) may leave the dialog open.
    bool AllowOpen = false;

private:
    std::deque<Tanswer> Fanswers;
};

}  // namespace tunecrest::test
