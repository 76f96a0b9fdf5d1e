#include "store/SortedStringArray.h"

#include <algorithm>

void CSortedStringArray::SetAscending(bool ascending, bool resort)
{
    m_ascending = ascending;
    if (resort)
        Sort();
}

bool CSortedStringArray::Sort()
{
    if (m_entries.empty())
        return false;
    const Qt::CaseSensitivity cs = Sensitivity();
    const bool ascending = m_ascending;
    std::stable_sort(m_entries.begin(), m_entries.end(), [cs, ascending](const Entry& a, const Entry& b) {
        const int order = a.text.compare(b.text, cs);
        return ascending ? order < 0 : order > 0;
    });
    return true;
}

int CSortedStringArray::Find(const QString& text, int start) const
{
    if (text.isNull() || !ValidStart(start))
        return kInvalidArgument;
    for (int i = start; i < GetSize(); ++i) {
        if (GetAt(i).compare(text, Sensitivity()) == 0)
            return i;
    }
    return kNotFound;
}

int CSortedStringArray::FindPrefix(const QString& text, int start) const
{
    if (text.isNull() || !ValidStart(start))
        return kInvalidArgument;
    for (int i = start; i < GetSize(); ++i) {
        if (GetAt(i).startsWith(text, Sensitivity()))
            return i;
    }
    return kNotFound;
}

int CSortedStringArray::FindInsertionPoint(const QString& text, int start) const
{
    if (!ValidStart(start))
        return kAtEnd;
    for (int i = start; i < GetSize(); ++i) {
        const int order = GetAt(i).compare(text, Sensitivity());
        if (m_ascending ? order > 0 : order < 0)
            return i;
    }
    return kAtEnd;
}

int CSortedStringArray::AddItem(const QString& text, void* itemData)
{
    return InsertAt(GetSize(), text, itemData);
}

int CSortedStringArray::InsertSorted(const QString& text, void* itemData)
{
    const int point = FindInsertionPoint(text);
    return InsertAt(point == kAtEnd ? GetSize() : point, text, itemData);
}

int CSortedStringArray::InsertAt(int position, const QString& text, void* itemData)
{
    if (position < 0 || position > GetSize())
        return kInvalidArgument;
    if (itemData) {
        const int old = FindItemData(itemData);
        if (old != kNotFound) {
            RemoveAt(old);
            if (old < position)
                --position;
        }
    }
    m_entries.insert(m_entries.begin() + position, Entry{text, itemData});
    return position;
}

int CSortedStringArray::FindItemData(const void* itemData) const
{
    if (!itemData)
        return kNotFound;
    for (int i = 0; i < GetSize(); ++i) {
        if (m_entries[static_cast<std::size_t>(i)].itemData == itemData)
            return i;
    }
    return kNotFound;
}

void* CSortedStringArray::GetItemData(int n) const
{
    if (n < 0 || n >= GetSize())
        return nullptr;
    return m_entries[static_cast<std::size_t>(n)].itemData;
}

bool CSortedStringArray::RemoveItemData(const void* itemData)
{
    const int index = FindItemData(itemData);
    if (index == kNotFound)
        return false;
    RemoveAt(index);
    return true;
}

void CSortedStringArray::RemoveAt(int n)
{
    if (n >= 0 && n < GetSize())
        m_entries.erase(m_entries.begin() + n);
}

void CSortedStringArray::RemoveAll()
{
    m_entries.clear();
}

QString CSortedStringArray::GetString(int n) const
{
    if (n < 0 || n >= GetSize())
        return {};
    return GetAt(n);
}

void CSortedStringArray::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteCount(m_entries.size());
        for (const Entry& entry : m_entries)
            ar << entry.text;
        return;
    }
    RemoveAll();
    for (std::size_t remaining = ar.ReadCount(); remaining > 0; --remaining) {
        Entry entry;
        ar >> entry.text;
        m_entries.push_back(std::move(entry));
    }
}
