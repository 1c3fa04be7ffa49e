// TRecordRoutine: what a section window does with the records in its list, whatever they are.
// Add and Edit open the editor panel over the view; Save and Cancel shut it and put the user
// back on the list, on the line saved; Delete asks first and leaves the user on the line that
// took the deleted one's place; the search panel opens, finds, and gives back the whole list.
// The window says what its records are through the Steps; the routine owns the wiring, the
// panels' showing and the focus, so that every section behaves alike.
#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QObject>
#include <functional>
#include <optional>
#include <string>

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
    // The commands and panels; a null part is one the window lacks (a section without search).
    struct Parts {
        QAction* addItem = nullptr;
        QAction* editItem = nullptr;
        QAction* deleteItem = nullptr;
        QAction* searchItem = nullptr;
        TButton* addButton = nullptr;
        TButton* editButton = nullptr;
        TButton* deleteButton = nullptr;
        TButton* searchButton = nullptr;
        QWidget* editor = nullptr;
        QWidget* editorFirst = nullptr;  // where the typing starts when the editor opens
        TButton* saveButton = nullptr;
        TButton* cancelButton = nullptr;
        QWidget* search = nullptr;
        TEdit* searchEdit = nullptr;
        TButton* findButton = nullptr;
        TButton* closeSearchButton = nullptr;
        TButton* clearSearchButton = nullptr;
        TButton* clearResultsButton = nullptr;
    };
    // What only the section knows.
    struct Steps {
        // A record is selected: Edit and Delete do nothing without one.
        std::function<bool()> selected;
        // Fills the editor for a new record (adding) or with the selected one.
        std::function<void(bool adding)> fill;
        // Stores what the editor holds; the row of its line to go on from (-1: none), or
        // nothing when the editor is to stay open with what was typed.
        std::function<std::optional<int>()> save;
        // Deletes the selected record once the user agreed; given the row selected when the
        // question was asked, returns the row the deleted line stood at.
        std::function<int(int askedRow)> remove;
        // Lists the records matching a pattern typed into the search.
        std::function<void(const std::string& pattern)> find;
        // Lists every record again, after a search.
        std::function<void()> showAll;
    };

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
