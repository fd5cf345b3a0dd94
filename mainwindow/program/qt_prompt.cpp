#include "mainwindow/program/qt_prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace tunecrest {

bool TqtPrompt::Unattended() {
    return !qApp || QGuiApplication::platformName() == QLatin1String("offscreen") ||
           QGuiApplication::platformName() == QLatin1String("minimal");
}

void TqtPrompt::ShowMessage(const std::string& text, const std::string& title) {
    if (Unattended()) return Tprompt::ShowMessage(text, title);
    QMessageBox::information(QApplication::activeWindow(), QString::fromStdString(title),
                             QString::fromStdString(text));
}

bool TqtPrompt::AskYesNo(const std::string& text, const std::string& title, bool defaultAnswer) {
    if (Unattended()) return Tprompt::AskYesNo(text, title, defaultAnswer);
    const auto answer = QMessageBox::question(QApplication::activeWindow(), QString::fromStdString(title),
                                              QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                                              defaultAnswer ? QMessageBox::Yes : QMessageBox::No);
    return answer == QMessageBox::Yes;
}

std::optional<std::string> TqtPrompt::ChooseOpenFile(const std::string& title, const std::string& filter,
                                                     const std::string& folder) {
    if (Unattended()) return Tprompt::ChooseOpenFile(title, filter, folder);
    const QString name = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString::fromStdString(title),
                                                      QString::fromStdString(folder), QString::fromStdString(filter));
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
}

std::optional<std::string> TqtPrompt::ChooseSaveFile(const std::string& title, const std::string& filter,
                                                     const std::string& folder) {
    if (Unattended()) return Tprompt::ChooseSaveFile(title, filter, folder);
    const QString name = QFileDialog::getSaveFileName(QApplication::activeWindow(), QString::fromStdString(title),
                                                      QString::fromStdString(folder), QString::fromStdString(filter));
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
}

std::vector<std::string> TqtPrompt::ChooseOpenFiles(const std::string& title, const std::string& filter,
                                                    const std::string& folder) {
    if (Unattended()) return Tprompt::ChooseOpenFiles(title, filter, folder);
    std::vector<std::string> files;
    for (const QString& name : QFileDialog::getOpenFileNames(QApplication::activeWindow(), QString::fromStdString(title),
                                                             QString::fromStdString(folder),
                                                             QString::fromStdString(filter)))
        files.push_back(name.toStdString());
    return files;
}

std::optional<std::string> TqtPrompt::AskText(const std::string& title, const std::string& caption,
                                              const std::string& initial) {
    if (Unattended()) return Tprompt::AskText(title, caption, initial);
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), QString::fromStdString(title),
                                               QString::fromStdString(caption), QLineEdit::Normal,
                                               QString::fromStdString(initial), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

std::optional<std::string> TqtPrompt::AskTextEntry(const TtextRequest& request) {
    if (!request.Masked) return AskText(request.Title, request.Caption, request.Initial);
    if (Unattended()) return Tprompt::AskTextEntry(request);
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), QString::fromStdString(request.Title),
                                               QString::fromStdString(request.Caption), QLineEdit::Password,
                                               QString::fromStdString(request.Initial), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

}  // namespace tunecrest
