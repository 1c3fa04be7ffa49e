#include "kit/panel_cover.h"

#include <QEvent>
#include <QPointer>

namespace pomix {
namespace {

// On the covered control: how many shown panels cover it in each kind, and the state it
// had before the first of them.
const char* CountProperty(CoverKind kind) {
    return kind == CoverKind::Disable ? "pomixDisableCovers" : "pomixHideCovers";
}
const char* SavedProperty(CoverKind kind) {
    return kind == CoverKind::Disable ? "pomixEnabledBeforeCover" : "pomixShownBeforeCover";
}

void Cover(QWidget* control, CoverKind kind) {
    const int count = control->property(CountProperty(kind)).toInt();
    if (count == 0) {
        const bool before =
            kind == CoverKind::Disable ? control->isEnabled() : !control->isHidden();
        control->setProperty(SavedProperty(kind), before);
        if (kind == CoverKind::Disable) {
            control->setEnabled(false);
        } else {
            control->hide();
        }
    }
    control->setProperty(CountProperty(kind), count + 1);
}

void Uncover(QWidget* control, CoverKind kind) {
    const int count = control->property(CountProperty(kind)).toInt();
    if (count <= 0) return;
    control->setProperty(CountProperty(kind), count - 1);
    if (count > 1) return;
    const bool before = control->property(SavedProperty(kind)).toBool();
    if (kind == CoverKind::Disable) {
        control->setEnabled(before);
    } else {
        control->setVisible(before);
    }
}

class PanelCover : public QObject {
public:
    PanelCover(QWidget* panel, std::vector<QWidget*> covered, CoverKind kind)
        : QObject(panel), kind_(kind) {
        for (QWidget* control : covered) covered_.emplace_back(control);
        panel->installEventFilter(this);
        if (!panel->isHidden()) Set(true);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // ShowToParent and HideToParent come with the panel's own show() and hide(), also
        // while its window is not on screen.
        if (event->type() == QEvent::ShowToParent) Set(true);
        if (event->type() == QEvent::HideToParent) Set(false);
        return QObject::eventFilter(watched, event);
    }

private:
    void Set(bool on) {
        if (on == on_) return;
        on_ = on;
        for (const QPointer<QWidget>& control : covered_) {
            if (!control) continue;
            if (on) {
                Cover(control, kind_);
            } else {
                Uncover(control, kind_);
            }
        }
    }

    CoverKind kind_;
    std::vector<QPointer<QWidget>> covered_;
    bool on_ = false;
};

// Covers the siblings under the panel as it shows, and gives back the same ones as it hides.
class UnderCover : public QObject {
public:
    explicit UnderCover(QWidget* panel) : QObject(panel), panel_(panel) {
        panel->installEventFilter(this);
        if (!panel->isHidden()) Set(true);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::ShowToParent) Set(true);
        if (event->type() == QEvent::HideToParent) Set(false);
        return false;
    }

private:
    void Set(bool on) {
        if (on == !covered_.empty()) return;
        if (!on) {
            for (const QPointer<QWidget>& control : covered_) {
                if (control) Uncover(control, CoverKind::Disable);
            }
            covered_.clear();
            return;
        }
        QWidget* parent = panel_->parentWidget();
        if (parent == nullptr) return;
        for (QWidget* sibling : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (sibling == panel_ || sibling->isWindow() || sibling->isHidden()) continue;
            if (!sibling->geometry().intersects(panel_->geometry())) continue;
            Cover(sibling, CoverKind::Disable);
            covered_.emplace_back(sibling);
        }
    }

    QWidget* panel_;
    std::vector<QPointer<QWidget>> covered_;
};

}  // namespace

void CoverWhatLiesUnder(QWidget* panel) { new UnderCover(panel); }

void CoverWhileShown(QWidget* panel, std::vector<QWidget*> covered, CoverKind kind) {
    new PanelCover(panel, std::move(covered), kind);
}

bool IsCovered(const QWidget* control) {
    return control->property(CountProperty(CoverKind::Disable)).toInt() > 0 ||
           control->property(CountProperty(CoverKind::Hide)).toInt() > 0;
}

}  // namespace pomix
