#pragma once
// Building blocks of the remote-control editors: standard dialogs sized for a touch
// screen (buttons at least 48 pixels high, a readable font), with OK and Cancel at the
// bottom right.
#include <QDialog>
#include <QPushButton>
#include <QString>
#include <functional>
#include <string>

class QBoxLayout;
class QHBoxLayout;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;
class QWidget;

namespace tunecrest {

constexpr int kEditorButtonHeight = 48;

// Texts between the model (UTF-8) and the widgets.
inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline std::string S(const QString& text) { return text.toStdString(); }

// A dialog named `objectName` under `caption`, with a vertical layout.
class TeditorForm : public QDialog {
  public:
    TeditorForm(const char* objectName, const QString& caption, QWidget* parent = nullptr);
    QVBoxLayout* Body() const { return Fbody; }
    // A button named `name` of touch size.
    QPushButton* AddButton(QBoxLayout* row, const char* name, const QString& caption);
    // OK (done with mrOk) and Cancel (mrCancel) at the bottom right.
    void AddOkCancel(const char* okName = "btnOK", const QString& okCaption = "OK");
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

  private:
    QVBoxLayout* Fbody;
};

// Delete, Move Up (from the second row) and Move Down (up to the second-to-last) act on
// the current row of `list` (anything with Count, MoveUp and MoveDown; `remove` deletes a
// row), then `refresh` shows the list again with the row selected.
template <typename Tlist>
void WireRowButtons(QWidget* form, QPushButton* deleteButton, QPushButton* upButton, QPushButton* downButton,
                    Tlist& list, std::function<int()> current, std::function<void(int)> refresh,
                    std::function<void(int)> remove) {
    QObject::connect(deleteButton, &QPushButton::clicked, form, [=, &list] {
        const int row = current();
        if (row < 0 || row >= list.Count()) return;
        remove(row);
        refresh(row);
    });
    QObject::connect(upButton, &QPushButton::clicked, form, [=, &list] {
        const int row = current();
        if (row <= 0 || row >= list.Count()) return;
        list.MoveUp(row);
        refresh(row - 1);
    });
    QObject::connect(downButton, &QPushButton::clicked, form, [=, &list] {
        const int row = current();
        if (row < 0 || row >= list.Count() - 1) return;
        list.MoveDown(row);
        refresh(row + 1);
    });
}

class TcontrollerAction;
class TcontrollerActionList;

// The actions of a list as a tree under their group labels; read-only ones in red.
QTreeWidget* MakeActionTree(TeditorForm& form, const char* name);
void FillActionTree(QTreeWidget* tree, const TcontrollerActionList& list, bool includeReadOnly);
TcontrollerAction* ActionOfTreeNode(const QTreeWidgetItem* item);
void SelectActionNode(QTreeWidget* tree, const TcontrollerAction* action);

}  // namespace tunecrest
