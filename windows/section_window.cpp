#include "windows/section_window.h"

#include <QCloseEvent>
#include <QPointer>
#include <QShowEvent>

#include "kit/accessibility.h"
#include "kit/message.h"

namespace pomix {

std::optional<LoadWork> TSectionWindow::MakeLoad() {
    return ModelLoad();
}

std::optional<LoadWork> TSectionWindow::ModelLoad() {
    SectionModel* model = Model();
    std::optional<SectionModel::Load> load = model ? model->MakeLoad() : std::nullopt;
    if (!load) return std::nullopt;
    return LoadWork{std::move(load->read), std::move(load->take)};  // the view follows the model
}

void TSectionWindow::LoadData() {
    std::optional<LoadWork> work = MakeLoad();
    if (!work) return;
    if (!load_.loader) {
        work->read();
        work->take();
        return;
    }
    LoadBeside(std::move(*work), *load_.loader, load_.key);
}

void TSectionWindow::LoadBeside(LoadWork work, TBackgroundLoader& loader, int key) {
    SetLoaded(false);
    loadedLater_ = true;
    setEnabled(false);
    QPointer<TSectionWindow> self(this);
    loader.Add(key, {std::move(work.read), [self, take = std::move(work.take)] {
                         if (!self) return;
                         take();
                         self->SetLoaded(true);
                         self->setEnabled(true);
                         emit self->dataLoaded();
                     }});
}

bool TSectionWindow::ReadAgain(TBackgroundLoader& loader, int key) {
    // The model's own read: what a section adds at start (the planner's first reminder check)
    // is not run again for a copy put back.
    std::optional<LoadWork> work = ModelLoad();
    if (!work) return false;
    LoadBeside(std::move(*work), loader, key);
    return true;
}

TSectionWindow::TSectionWindow(int recolourIndex, std::string dictionarySection,
                               std::vector<std::string> items, QWidget* parent, SectionLoad load)
    : QWidget(parent),
      binding_(this, recolourIndex, std::move(dictionarySection), std::move(items)),
      load_(load) {
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    setProperty(kNamedAsWindow, true);
}

void TSectionWindow::SetLoaded(bool loaded) {
    loaded_ = loaded;
    if (SectionModel* model = Model()) model->SetLoaded(loaded);
}

void TSectionWindow::MarkChanged() {
    Modified = true;
    if (SectionModel* model = Model()) model->MarkChanged();
}

void TSectionWindow::FollowEditor(QWidget* editorPanel) {
    editorPanel_ = editorPanel;
    editorPanel->installEventFilter(this);
    if (SectionModel* model = Model()) model->SetEditing(!editorPanel->isHidden());
}

bool TSectionWindow::eventFilter(QObject* watched, QEvent* event) {
    // ShowToParent and HideToParent come with show() and hide() themselves, whether or not
    // the window is on the screen.
    if (watched == editorPanel_ &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        if (SectionModel* model = Model()) model->SetEditing(event->type() == QEvent::ShowToParent);
    }
    return QWidget::eventFilter(watched, event);
}

void TSectionWindow::CloseForm() {
    if (SaveFailed()) MarkChanged();
    FormClose();
    if (SectionModel* model = Model()) model->ForgetFailedWrite();
    binding_.WriteDictionary();
    hide();
}

std::optional<SaveWork> TSectionWindow::TakeSave() {
    SectionModel* model = Model();
    if (!loaded_ || !model) return std::nullopt;
    return TakeModelSave(*model);
}

void TSectionWindow::ReInit() { binding_.ApplyColours(); }

void TSectionWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    binding_.ReadDictionary();
    ReInit();
}

void TSectionWindow::closeEvent(QCloseEvent* event) {
    // Only the shutdown closes a section window; any other close request is routed through
    // the same steps so nothing is skipped.
    try {
        CloseForm();
        event->accept();
    } catch (const std::exception& e) {
        ShowError(MessageString("FileWriteFailed").arg(MessageArg(FileName), FileFailureReason(e)));
        event->ignore();
    }
}

}  // namespace pomix
