#include "kit/recolour.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>

#include "core/settings/program_files.h"
#include "kit/controls.h"
#include "kit/month_grid.h"
#include "kit/convert.h"

namespace pomix {

namespace {

constexpr const char* kWindowMark = "pomixWindow";
constexpr const char* kKeepColours = "pomixKeepColours";
constexpr const char* kHintsOff = "pomixHintsOff";

// Swallows tool-tip events of controls whose window has its hints switched off.
class HintFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip) {
            auto* widget = qobject_cast<QWidget*>(watched);
            // A cut text's whole is data, not a hint: it shows either way. A sorted list's
            // lines get it through its viewport; the list's own hint is asked of the list.
            const auto* text = qobject_cast<const TPressableText*>(watched);
            const bool listLines = widget && qobject_cast<const TSortedListBox*>(widget->parentWidget()) &&
                                   widget == static_cast<TSortedListBox*>(widget->parentWidget())->viewport();
            if (widget && !HintsShown(widget) && !(text && text->Elided()) && !listLines) return true;
        }
        return false;
    }
};

void InstallHintFilter() {
    static HintFilter* filter = nullptr;
    if (filter || !qApp) return;
    filter = new HintFilter;
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
}

void RecolourOne(QObject* object, const TSettingsRecord& s) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || widget->property(kKeepColours).toBool()) return;
    const QColor window = ToQColor(s.WindowColor), accent = ToQColor(s.AccentColor);
    const QColor edit = ToQColor(s.EditColor), editText = ToQColor(s.EditTextColor);
    const QColor labelText = ToQColor(s.LabelTextColor), buttonText = ToQColor(s.ButtonTextColor);

    if (auto* gradient = qobject_cast<TGradientPanel*>(widget)) {
        gradient->SetColours(window, accent);
    } else if (auto* grid = qobject_cast<TMonthGrid*>(widget)) {
        grid->SetColours({window, accent, buttonText, accent, accent, labelText,
                          ToQColor(s.PlannedDayColor), accent});
    } else if (qobject_cast<TStaticButton*>(widget) || qobject_cast<QPushButton*>(widget)) {
        SetColours(widget, accent, buttonText);
    } else if (qobject_cast<QLabel*>(widget) || qobject_cast<QCheckBox*>(widget) ||
               qobject_cast<QRadioButton*>(widget)) {
        SetColours(widget, window, labelText);
    } else if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
               qobject_cast<QPlainTextEdit*>(widget) || qobject_cast<QTextEdit*>(widget)) {
        SetColours(widget, edit, editText);
    } else if (qobject_cast<QAbstractItemView*>(widget)) {
        SetColours(widget, edit, editText);
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Highlight, accent);
        palette.setColor(QPalette::HighlightedText, buttonText);
        widget->setPalette(palette);
    } else if (qobject_cast<TPanel*>(widget)) {
        SetColours(widget, window, widget->palette().color(QPalette::WindowText));
    }
}

}  // namespace

void MarkAsWindow(QWidget* widget) { widget->setProperty(kWindowMark, true); }

bool IsWindowMark(const QObject* object) { return object->property(kWindowMark).toBool(); }

void ForEachControl(QObject* window, const std::function<void(QObject*)>& visit) {
    for (QObject* child : window->children()) {
        if (IsWindowMark(child)) continue;
        visit(child);
        ForEachControl(child, visit);
    }
}

QObject* FindControl(QObject* window, const QString& name) {
    QObject* found = nullptr;
    ForEachControl(window, [&](QObject* object) {
        if (!found && object->objectName() == name) found = object;
    });
    return found;
}

void KeepOwnColours(QWidget* control) { control->setProperty(kKeepColours, true); }

void RecolourControls(QWidget* window, const TSettingsRecord& settings) {
    ForEachControl(window, [&](QObject* object) { RecolourOne(object, settings); });
}

void SetHintsShown(QWidget* window, bool shown) {
    InstallHintFilter();
    window->setProperty(kHintsOff, !shown);
}

bool HintsShown(const QWidget* control) {
    // The nearest enclosing window that has decided, decides.
    for (const QWidget* w = control; w; w = w->parentWidget()) {
        const QVariant off = w->property(kHintsOff);
        if (off.isValid()) return !off.toBool();
    }
    return true;
}

bool ApplyColoursOnce(int index, QWidget* window, const std::function<void()>& extra) {
    if (index < 0 || index >= static_cast<int>(RecolourPending.size()) || RecolourPending[index] == 0) {
        return false;
    }
    SetHintsShown(window, SettingsRecord.ShowHints);
    SetColours(window, ToQColor(SettingsRecord.WindowColor), ToQColor(SettingsRecord.LabelTextColor));
    RecolourControls(window, SettingsRecord);
    if (extra) extra();
    RecolourPending[index] = 0;
    return true;
}

namespace {

std::function<void()>& MainWindowRecolour() {
    static std::function<void()> recolour;
    return recolour;
}

}  // namespace

void SetMainWindowRecolour(std::function<void()> recolour) { MainWindowRecolour() = std::move(recolour); }

void RecolourMainWindow() {
    if (MainWindowRecolour()) MainWindowRecolour()();
}

}  // namespace pomix
