#pragma once
// What the resource editor tells a person when the resource store refuses an operation. The store
// gives one number per failure, and a number can mean different things in different operations (-36:
// a short file when opening, a record in use when moving), so each operation reads its own codes.

enum class ResEditorError {
    None,
    TargetUsed,    // another record already has the id and type
    ResourceInUse, // the program holds the record through an object of its own
    FileNotOpened, // not a resource file the store can read (or none at all)
    FileNotSaved,
    StoreRefused, // any other refusal
};

// The system string that tells the person; 0 for None.
int messageIdOf(ResEditorError error);

ResEditorError errorOfOpen(int storeCode);
ResEditorError errorOfSave(int storeCode);
ResEditorError errorOfMove(int storeCode);
// Renaming, removing and making records.
ResEditorError errorOfChange(int storeCode);
