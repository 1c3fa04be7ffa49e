// What every window of the program shares: its dictionary binding, resolved against its
// controls by their object names, and its guarded recolouring. A window owns one TFormBinding,
// binds it at creation, calls ReadDictionary when shown and WriteDictionary when closed.
//
// Properties a dictionary can set: "Caption" (the text of a label, static text, button,
// check box, radio button or menu item, a tab page's tab, a group's title, a window's computed
// text TText), "Hint" (the tool tip), "AccessibleName" (what a screen reader calls a control
// that shows no caption of its own) and "Items" (the lines of a drop-down list).
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "core/settings/form_storage.h"

namespace pomix {

// The controls of one window as the dictionary binding sees them.
class QtDictionaryTarget : public DictionaryTarget {
public:
    explicit QtDictionaryTarget(QWidget* window) : window_(window) {}
    bool GetText(const std::string& control, const std::string& property, std::string& text) override;
    bool SetText(const std::string& control, const std::string& property, const std::string& text) override;
    bool GetLines(const std::string& control, const std::string& property, StrList& lines) override;
    bool SetLines(const std::string& control, const std::string& property, const StrList& lines) override;

private:
    QWidget* window_;
};

class TFormBinding {
public:
    // window: the window's top widget (also marked as a window of its own, so that the
    // windows around it leave its controls alone); recolourIndex: its RecolourPending entry;
    // section and items: its dictionary section and stored items ("Control.Property").
    TFormBinding(QWidget* window, int recolourIndex, std::string section, std::vector<std::string> items);

    // Binds the dictionary named by SettingsRecord.LanguageFile when it exists, else none.
    // The first call also keeps the window's built-in texts, for Rebind.
    void BindDictionary();
    void ReadDictionary();
    // Binds the dictionary SettingsRecord.LanguageFile names now in place of the one bound,
    // and reads it at once. The built-in texts come back first, so that what the new
    // dictionary does not name (everything, without one) is not left in the old language.
    void Rebind();
    // A dictionary that cannot be written shows "Unable to write to <path>"; the close goes on.
    void WriteDictionary();

    // Recolours the window when its RecolourPending entry is set (see ApplyColoursOnce).
    bool ApplyColours(const std::function<void()>& extra = {});

    TFormStorage FormStorage1;

private:
    QWidget* window_;
    int recolourIndex_;
    struct BuiltInText {
        std::size_t item;  // in FormStorage1.Items()
        std::string text;
        StrList lines;
    };
    std::vector<BuiltInText> builtIn_;
    bool builtInKept_ = false;
};

// Expands "Button1-4.Caption,Hint" style shorthands: Name<first>-<last>.<Property>[,<Property>…]
// gives, for each number, every property; a plain "Name.Property" is kept as it is.
std::vector<std::string> ExpandItems(std::initializer_list<const char*> shorthands);

}  // namespace pomix
