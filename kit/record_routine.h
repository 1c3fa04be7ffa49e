// TRecordRoutine: what a section window does with the records in its list, whatever they are.
// Add and Edit open the editor panel over the view; Save and Cancel shut it and put the user
// back on the list, on the line saved; Delete asks first and leaves the user on the line that
// took the deleted one's place; the search panel opens, finds, and gives back the whole list.
// The window says what its records are through the Steps; the routine owns the wiring, the
// panels' showing and the focus, so that every section behaves alike.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pomix {

class TButton;
class TEdit;

class TRecordRoutine : public QObject {
public:
    // The list the records show in: its current row and its number of rows.
    struct Rows {
        QAbstractItemView* view = nullptr;
        std::function<int()> current;
        std::function<int()> count;
    };
    // A command: its pop-up menu item and its button. A null part is one the window lacks.
    struct Command { QAction* item = nullptr; TButton* button = nullptr; };
    struct Editor {
        QWidget* panel = nullptr;
        QWidget* first = nullptr;  // where the typing starts when the editor opens
        TButton *save = nullptr, *cancel = nullptr;
        bool* adding = nullptr;  // the window's flag: the editor adds (true) or edits
    };
    struct Search {
        QWidget* panel = nullptr;  // null: a section without search
        TEdit* pattern = nullptr;
        TButton *find = nullptr, *close = nullptr, *clearPattern = nullptr, *listAll = nullptr;
        std::vector<QAbstractButton*> choices;  // where to look, one checked
    };
    struct Parts {
        Command add, edit, remove, search;
        Editor editor;
        Search searchPanel;
    };
    // What only the section knows.
    struct Steps {
        // A record is selected: Edit and Delete do nothing without one.
        std::function<bool()> selected;
        // Fills the editor for a new record (adding) or with the selected one; the window's
        // flag is already set.
        std::function<void(bool adding)> fill;
        // Stores what the editor holds; the row of its line to go on from (-1: none), or
        // nothing when the editor is to stay open with what was typed.
        std::function<std::optional<int>()> save;
        // Deletes the selected record once the user agreed; given the row selected when the
        // question was asked, returns the row the deleted line stood at.
        std::function<int(int askedRow)> remove;
        // Lists the records matching a pattern typed into the search; choice: the position of
        // the checked one of the search's choices (0 without).
        std::function<void(const std::string& pattern, int choice)> find;
        // Lists every record again, after a search.
        std::function<void()> showAll;
    };

    // The parts by the names every section window gives them (addItem, addButton, …, and the
    // search's searchPanel, searchEdit, findButton, … where it has a search); the editor
    // panel, the field its typing starts in and the window's add flag are named here.
    template <class Window>
    static Parts PartsOf(Window* window, QWidget* editor, QWidget* first, bool* adding) {
        Parts parts;
        parts.add = {window->addItem, window->addButton};
        parts.edit = {window->editItem, window->editButton};
        parts.remove = {window->deleteItem, window->deleteButton};
        parts.editor = {editor, first, window->saveButton, window->cancelButton, adding};
        if constexpr (requires { window->searchPanel; }) {
            parts.search = {window->searchItem, window->searchButton};
            parts.searchPanel = {window->searchPanel,       window->searchEdit,
                                 window->findButton,        window->closeSearchButton,
                                 window->clearSearchButton, window->clearResultsButton, {}};
        }
        return parts;
    }

    // Lists whose current row is currentRow() (TSortedListBox) or CurrentRow() (the column
    // lists); a double click or Enter on a line edits it.
    template <class List>
    static Rows RowsOf(List* list) {
        Rows rows{list, {}, {}};
        if constexpr (requires { list->currentRow(); }) {
            rows.current = [list] { return list->currentRow(); };
            rows.count = [list] { return list->count(); };
        } else {
            rows.current = [list] { return list->CurrentRow(); };
            rows.count = [list] { return list->Count(); };
        }
        return rows;
    }

    template <class List>
    TRecordRoutine(QObject* owner, List* list, const Parts& parts, Steps steps)
        : TRecordRoutine(owner, RowsOf(list), parts, std::move(steps)) {
        connect(list, &List::rowDoubleClicked, this, &TRecordRoutine::Edit);
    }

    void Add();
    void Edit();
    void Save();
    void Cancel();
    void Delete();
    void OpenSearch();
    void CloseSearch();
    void ClearSearchText();
    void ClearSearchResults();
    void Find();

private:
    TRecordRoutine(QObject* owner, Rows rows, const Parts& parts, Steps steps);
    void OpenEditor(bool adding);

    Rows rows_;
    Parts parts_;
    Steps steps_;
};

}  // namespace pomix
