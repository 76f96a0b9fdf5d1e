#pragma once
// Progress callbacks of the long archive operations. A callback is told the names and the total,
// then each step's byte count; returning false asks the operation to stop.

#include <QString>

#include <cstdint>

class CZipActionCallback
{
public:
    enum CallbackType {
        cbNothing = 0,
        cbAdd = 1,
        cbAddTmp = 2,
        cbAddStore = 4,
        cbExtract = 8,
        cbDeleteCnt = 16,
        cbDelete = 32,
        cbTest = 64,
        cbSave = 128,
        cbGet = 256,
        cbRename = 512,
        cbReplace = 1024,
        cbAll = 2047
    };
    // Counting steps (entries to delete, headers saved) report every this many entries.
    static constexpr int kStepSize = 256;

    virtual ~CZipActionCallback() = default;

    virtual void Init(const QString& fileInZip = {}, const QString& externalFile = {})
    {
        m_szFileInZip = fileInZip;
        m_szExternalFile = externalFile;
        m_uTotalToDo = 0;
        m_uTotalSoFar = 0;
    }
    virtual void SetTotal(std::uint64_t total) { m_uTotalToDo = total; }
    // One step of `progress` bytes (or entries) done; false stops the operation.
    virtual bool Callback(std::uint64_t progress) = 0;
    virtual void CallbackEnd() {}

    int m_iType = cbNothing;
    QString m_szFileInZip;
    QString m_szExternalFile;
    std::uint64_t m_uTotalToDo = 0;
    std::uint64_t m_uTotalSoFar = 0;
};
