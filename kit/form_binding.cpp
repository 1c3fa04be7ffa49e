#include "kit/form_binding.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabWidget>
#include <cctype>

#include "core/settings/settings_record.h"
#include "kit/convert.h"
#include "kit/form_parts.h"
#include "kit/message.h"
#include "kit/recolour.h"
#include "kit/setup_controls.h"

namespace pomix {

namespace {

// A page of a tab control: its caption is the tab's text.
QTabWidget* TabOwner(QWidget* page, int& index) {
    for (QWidget* w = page->parentWidget(); w; w = w->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            index = tabs->indexOf(page);
            return index >= 0 ? tabs : nullptr;
        }
    }
    return nullptr;
}

// A page of a wrapping tab control: its caption is its tab's text.
TPageControl* PageOwner(QWidget* page, int& index) {
    for (QWidget* w = page->parentWidget(); w; w = w->parentWidget()) {
        if (auto* pages = qobject_cast<TPageControl*>(w)) {
            index = pages->IndexOf(page);
            return index >= 0 ? pages : nullptr;
        }
    }
    return nullptr;
}

bool CaptionOf(QObject* object, QString& text) {
    if (auto* computed = qobject_cast<TText*>(object)) text = computed->Text;
    else if (auto* label = qobject_cast<QLabel*>(object)) text = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(object)) text = button->text();
    else if (auto* action = qobject_cast<QAction*>(object)) text = action->text();
    else if (auto* group = qobject_cast<QGroupBox*>(object)) text = group->title();
    else if (auto* page = qobject_cast<QWidget*>(object)) {
        int index = -1;
        if (TPageControl* pages = PageOwner(page, index)) {
            text = pages->PageCaption(index);
            return true;
        }
        QTabWidget* tabs = TabOwner(page, index);
        if (!tabs) return false;
        text = tabs->tabText(index);
    } else {
        return false;
    }
    return true;
}

bool SetCaption(QObject* object, const QString& text) {
    if (auto* computed = qobject_cast<TText*>(object)) computed->Text = text;
    else if (auto* label = qobject_cast<QLabel*>(object)) label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(object)) button->setText(text);
    else if (auto* action = qobject_cast<QAction*>(object)) action->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(object)) group->setTitle(text);
    else if (auto* page = qobject_cast<QWidget*>(object)) {
        int index = -1;
        if (TPageControl* pages = PageOwner(page, index)) {
            pages->SetPageCaption(index, text);
            return true;
        }
        QTabWidget* tabs = TabOwner(page, index);
        if (!tabs) return false;
        tabs->setTabText(index, text);
    } else {
        return false;
    }
    return true;
}

bool HintOf(QObject* object, QString& text) {
    if (auto* widget = qobject_cast<QWidget*>(object)) text = widget->toolTip();
    else if (auto* action = qobject_cast<QAction*>(object)) text = action->toolTip();
    else return false;
    return true;
}

bool SetHint(QObject* object, const QString& text) {
    if (auto* widget = qobject_cast<QWidget*>(object)) widget->setToolTip(text);
    else if (auto* action = qobject_cast<QAction*>(object)) action->setToolTip(text);
    else return false;
    return true;
}

}  // namespace

bool QtDictionaryTarget::GetText(const std::string& control, const std::string& property, std::string& text) {
    QObject* object = FindControl(window_, QString::fromStdString(control));
    if (!object) return false;
    QString value;
    auto* widget = qobject_cast<QWidget*>(object);
    if (property == "AccessibleName" && widget) value = widget->accessibleName();
    const bool found = property == "Caption"                   ? CaptionOf(object, value)
                       : property == "Hint"                    ? HintOf(object, value)
                       : property == "AccessibleName" && widget;
    if (found) text = FromQt(value);
    return found;
}

bool QtDictionaryTarget::SetText(const std::string& control, const std::string& property, const std::string& text) {
    QObject* object = FindControl(window_, QString::fromStdString(control));
    if (!object) return false;
    if (property == "Caption") return SetCaption(object, ToQt(text));
    if (property == "Hint") return SetHint(object, ToQt(text));
    auto* widget = qobject_cast<QWidget*>(object);
    if (property != "AccessibleName" || !widget) return false;
    widget->setAccessibleName(ToQt(text));
    return true;
}

bool QtDictionaryTarget::GetLines(const std::string& control, const std::string& property, StrList& lines) {
    auto* box = FindControl<QComboBox>(window_, QString::fromStdString(control));
    if (!box || property != "Items") return false;
    lines.clear();
    for (int i = 0; i < box->count(); ++i) lines.push_back(FromQt(box->itemText(i)));
    return true;
}

bool QtDictionaryTarget::SetLines(const std::string& control, const std::string& property, const StrList& lines) {
    auto* box = FindControl<QComboBox>(window_, QString::fromStdString(control));
    if (!box || property != "Items") return false;
    // A refill is no choice of the user's: it fires no change and selects nothing new (a
    // plain refill would select the first line and look like choosing it).
    const QSignalBlocker quiet(box);
    const int selected = box->currentIndex();
    box->clear();
    box->addItems(ToQt(lines));
    box->setCurrentIndex(selected < box->count() ? selected : -1);
    return true;
}

TFormBinding::TFormBinding(QWidget* window, int recolourIndex, std::string section,
                           std::vector<std::string> items)
    : FormStorage1(std::move(section), std::move(items)), window_(window), recolourIndex_(recolourIndex) {
    MarkAsWindow(window);
}

void TFormBinding::BindDictionary() {
    if (!builtInKept_) {
        builtInKept_ = true;
        QtDictionaryTarget target(window_);
        const auto& items = FormStorage1.Items();
        for (std::size_t i = 0; i < items.size(); ++i) {
            BuiltInText kept{i, {}, {}};
            if (items[i].list ? target.GetLines(items[i].control, items[i].property, kept.lines)
                              : target.GetText(items[i].control, items[i].property, kept.text))
                builtIn_.push_back(std::move(kept));
        }
    }
    FormStorage1.BindLanguageFile(SettingsRecord.LanguageFile);
}

void TFormBinding::Rebind() {
    QtDictionaryTarget target(window_);
    const auto& items = FormStorage1.Items();
    for (const BuiltInText& kept : builtIn_) {
        const TFormStorage::Item& item = items[kept.item];
        if (item.list)
            target.SetLines(item.control, item.property, kept.lines);
        else
            target.SetText(item.control, item.property, kept.text);
    }
    BindDictionary();
    ReadDictionary();
}

void TFormBinding::ReadDictionary() {
    QtDictionaryTarget target(window_);
    FormStorage1.Read(target);
}

void TFormBinding::WriteDictionary() {
    QtDictionaryTarget target(window_);
    try {
        FormStorage1.WriteBack(target);
    } catch (const std::exception&) {
        ShowError(MessageString("DictionaryWriteFailed").arg(MessageArg(FormStorage1.Path())));
    }
}

bool TFormBinding::ApplyColours(const std::function<void()>& extra) {
    return ApplyColoursOnce(recolourIndex_, window_, extra);
}

std::vector<std::string> ExpandItems(std::initializer_list<const char*> shorthands) {
    std::vector<std::string> items;
    for (const char* shorthand : shorthands) {
        const std::string text = shorthand;
        const std::size_t dot = text.find('.');
        if (dot == std::string::npos) continue;
        const std::size_t dash = text.find('-');
        std::string head = text.substr(0, dot);
        std::vector<std::string> properties;
        for (std::size_t start = dot + 1; start <= text.size();) {
            std::size_t comma = text.find(',', start);
            if (comma == std::string::npos) comma = text.size();
            properties.push_back(text.substr(start, comma - start));
            start = comma + 1;
        }
        if (dash == std::string::npos || dash > dot) {
            for (const std::string& property : properties) items.push_back(head + "." + property);
            continue;
        }
        // "Button1-4": the name's digits before the dash start the range.
        std::size_t digits = dash;
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(text[digits - 1]))) --digits;
        const std::string name = text.substr(0, digits);
        const int first = std::stoi(text.substr(digits, dash - digits));
        const int last = std::stoi(text.substr(dash + 1, dot - dash - 1));
        for (int n = first; n <= last; ++n) {
            for (const std::string& property : properties) items.push_back(name + std::to_string(n) + "." + property);
        }
    }
    return items;
}

}  // namespace pomix
