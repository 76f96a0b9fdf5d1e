#pragma once
// What the user-level dialogs edit, apart from their windows: the levels of one language gathered from
// one file (the output file, or the current user's file) and the files below it, the levels renamed,
// removed or made while the dialog is open, and the storing after OK. Nothing is stored before OK.
//
// Numbers: 1000 is the default level; 1000 to 1999 are the system's, listed and made only on the output
// file; 2001 to 2999 are for users everywhere (2000 itself is refused, although the range text names
// it). Levels are stored with kind 0 and their owner's language, in the dialog's file only: a level
// that came from a data file is copied into the dialog's file when edited, and the data file keeps its
// record.

#include "core/UserLevel.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

enum class UserLevelError { None, StoreFailed };
// The system string that says what went wrong; 0 for None.
int messageIdOf(UserLevelError error);

struct UserLevelResult {
    UserLevelError error = UserLevelError::None;
    QString detail; // the store's code
};

class CUserLevelWork
{
public:
    // The file the levels go to and their language; `onOutputFile` admits the system's numbers.
    CUserLevelWork(int file, std::uint16_t language, bool onOutputFile);

    int File() const { return m_file; }
    std::uint16_t Language() const { return m_language; }
    bool OnOutputFile() const { return m_onOutputFile; }

    // The working map, to be filled before Start.
    CQuibUserLevelMap& Map() { return m_map; }
    // Gives numberless levels their key and ownerless levels the language of their record, and notes
    // the levels as they are now.
    void Start();

    // Whether a level with this number may be made here.
    bool MayCreate(int number) const;
    // Whether a level with this number is shown in the list.
    bool IsListed(int number) const;
    // The listed levels' numbers, ascending.
    std::vector<std::uint16_t> ListedNumbers() const;

    CQuibUserLevel* Level(std::uint16_t number) const;
    CQuibUserLevel* Current() const { return Level(m_current); }
    void Select(std::uint16_t number) { m_current = number; }

    // The current level takes a new name (as an editable copy in place of a level as it was at start).
    void Rename(const QString& name);
    // The current level goes; nothing is current.
    void RemoveCurrent();
    // A new level (its number not in the map) becomes current.
    void Add(std::unique_ptr<CQuibUserLevel> level);
    // An existing level becomes current, as an editable copy.
    void Edit(std::uint16_t number);

    bool Changed() const { return m_changed; }

    // After OK: deletes the records of the levels removed or replaced that lie in this file, then
    // stores every new or edited level under its number in this file. The first store error is given;
    // the rest is still tried.
    UserLevelResult Store();

private:
    bool isAsStarted(const CQuibUserLevel* level) const;
    // Replaces the current level by an editable copy, unless it is one already.
    CQuibUserLevel* editableCurrent();

    int m_file;
    std::uint16_t m_language;
    bool m_onOutputFile;
    CQuibUserLevelMap m_map;
    std::map<std::uint16_t, const CQuibUserLevel*> m_atStart;
    CQuibUserLevelList m_setAside;
    std::uint16_t m_current = 0;
    bool m_changed = false;
};
