#pragma once
// Building blocks of the remote-control editors: standard dialogs sized for a touch
// screen (buttons at least 48 pixels high, a readable font), with OK and Cancel at the
// bottom right.
#include <QDialog>
#include <QString>

class QBoxLayout;
class QHBoxLayout;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;
class QWidget;

namespace tunecrest {

constexpr int kEditorButtonHeight = 48;

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

class TcontrollerAction;
class TcontrollerActionList;

// The actions of a list as a tree under their group labels; read-only ones in red.
QTreeWidget* MakeActionTree(TeditorForm& form, const char* name);
void FillActionTree(QTreeWidget* tree, const TcontrollerActionList& list, bool includeReadOnly);
TcontrollerAction* ActionOfTreeNode(const QTreeWidgetItem* item);
void SelectActionNode(QTreeWidget* tree, const TcontrollerAction* action);

}  // namespace tunecrest
