#include "windows/section_window.h"

#include <QCloseEvent>
#include <QPointer>
#include <QShowEvent>

#include "kit/accessibility.h"
#include "kit/message.h"

namespace pomix {

namespace {
TBackgroundLoader* gLoader = nullptr;
int gLoadKey = 0;
}  // namespace

void TSectionWindow::LoadWith(TBackgroundLoader* loader, int key) {
    gLoader = loader;
    gLoadKey = key;
}

void TSectionWindow::LoadData() {
    std::optional<LoadWork> work = MakeLoad();
    if (!work) return;
    if (!gLoader) {
        work->read();
        work->take();
        return;
    }
    loaded_ = false;
    loadedLater_ = true;
    setEnabled(false);
    QPointer<TSectionWindow> self(this);
    gLoader->Add(gLoadKey, {std::move(work->read), [self, take = std::move(work->take)] {
                                if (!self) return;
                                take();
                                self->loaded_ = true;
                                self->setEnabled(true);
                                emit self->dataLoaded();
                            }});
}

TSectionWindow::TSectionWindow(int recolourIndex, std::string dictionarySection,
                               std::vector<std::string> items, QWidget* parent)
    : QWidget(parent), binding_(this, recolourIndex, std::move(dictionarySection), std::move(items)) {
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    setProperty(kNamedAsWindow, true);
}

void TSectionWindow::CloseForm() {
    if (saveFailed_) MarkChanged();
    FormClose();
    saveFailed_ = false;
    binding_.WriteDictionary();
    hide();
}

std::optional<SaveWork> TSectionWindow::TakeSave() {
    if (!loaded_ || saving_ || !HasChanges() || !DataFile()) return std::nullopt;
    const std::shared_ptr<FileImage> image = TakeImage();
    if (!image) return std::nullopt;
    saving_ = true;
    QPointer<TSectionWindow> self(this);
    return SaveWork{image->path, [image] { image->Write(); }, [self, image](bool ok) {
                        if (!self) return;
                        self->saving_ = false;
                        self->saveFailed_ = !ok;
                        if (ok) self->DataFile()->Written(*image);
                    }};
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
