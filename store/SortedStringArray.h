#pragma once
// A list of names kept in order (ascending or descending, with or without regard to case), where each
// name can carry one item datum: a pointer to the object it names, which the list does not own.
// Stored like a plain string array: a count, then the names; the data are not stored.

#include "platform/archive/Archive.h"

#include <QString>

#include <cstddef>
#include <vector>

class CSortedStringArray : public CObject
{
public:
    // Results of the searches and inserts besides an index.
    enum : int {
        kNotFound = -1,
        kAtEnd = -1,           // FindInsertionPoint: the text belongs at the end
        kInvalidArgument = -2, // a null text, or a start or position out of range
    };

    CSortedStringArray() = default;
    ~CSortedStringArray() override = default;

    // A count and the names; loading replaces the names and drops every datum.
    void Serialize(CArchive& ar) override;

    void SetAscending(bool ascending, bool resort = false);
    bool IsAscending() const { return m_ascending; }
    void SetCaseSensitive(bool caseSensitive) { m_caseSensitive = caseSensitive; }
    bool IsCaseSensitive() const { return m_caseSensitive; }

    // Sorts by the two flags, keeping equal names in their order; false when empty.
    bool Sort();

    // The first index at or after `start` of a name equal to the text (or beginning with it); kNotFound
    // when there is none, kInvalidArgument for a null text or a start out of range (so every search in
    // an empty array gives kInvalidArgument).
    int Find(const QString& text, int start = 0) const;
    int FindPrefix(const QString& text, int start = 0) const;
    // Where the text belongs: after the names equal to it or before it in the array's order; kAtEnd when
    // that is the end (or the start is out of range).
    int FindInsertionPoint(const QString& text, int start = 0) const;

    // Appends (call Sort after a run of appends); returns the index.
    int AddItem(const QString& text, void* itemData = nullptr);
    // Inserts at the text's place in the order; returns the index.
    int InsertSorted(const QString& text, void* itemData = nullptr);
    // Inserts at a position; kInvalidArgument when it is below 0 or above the count. A datum carried
    // already by another name leaves that name first.
    int InsertAt(int position, const QString& text, void* itemData = nullptr);

    // The index of the name that carries the datum; kNotFound for none or a null datum.
    int FindItemData(const void* itemData) const;
    void* GetItemData(int n) const;
    bool RemoveItemData(const void* itemData);
    void RemoveAt(int n);
    void RemoveAll();

    QString GetString(int n) const;
    const QString& GetAt(int n) const { return m_entries[static_cast<std::size_t>(n)].text; }
    int GetSize() const { return static_cast<int>(m_entries.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_entries.empty(); }

private:
    struct Entry {
        QString text;
        void* itemData = nullptr;
    };
    Qt::CaseSensitivity Sensitivity() const
    {
        return m_caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    }
    bool ValidStart(int start) const { return start >= 0 && start < GetSize(); }

    std::vector<Entry> m_entries;
    bool m_ascending = true;
    bool m_caseSensitive = false;
};
