// TSBStringsDataset: a dataset whose records are the lines of a string list it owns.
//
// Mode decides what a line is: in sdmStrings one text field STRINGS with its line number CODE;
// in sdmNamesValues the fields NAMES and VALUES, the text before and after the first "="; in
// sdmCustom a comma text (the string list's own reading rule: quoted values with doubled quotes,
// blanks and commas between them) whose items fill the dataset's persistent data fields in
// order. The report of search results uses it in sdmCustom with the fields NAME and FILENAME.
//
// Changing Strings does not move, refresh or close the dataset; only OnStringsChanging and
// OnStringsChange fire. The properties that shape the records (Mode, DefaultStringLength, the
// list's Sorted, Duplicates and Capacity, Strings itself) cannot change while the dataset is open
// at run time. Ownership: the dataset owns Strings. One thread.
#pragma once

#include "platform/StringList.h"
#include "sbCustomDataset.h"

#include <memory>

enum TSBStringsDataSetMode : uint8_t { sdmStrings, sdmNamesValues, sdmCustom };

class TSBStringsDataset : public TSampleDataSet {
public:
    TSBStringsDataset();
    ~TSBStringsDataset() override;

    // The records; the dataset keeps them, callers fill them while the dataset is closed.
    TStringList& Strings() { return *FStrings; }
    const TStringList& Strings() const { return *FStrings; }
    void SetStrings(const TStringList& Value);
    int Capacity() const { return FStrings->Capacity(); }
    void SetCapacity(int Value);
    TDuplicates Duplicates() const { return FStrings->Duplicates(); }
    void SetDuplicates(TDuplicates Value);
    bool Sorted() const { return FStrings->Sorted(); }
    void SetSorted(bool Value);
    TSBStringsDataSetMode Mode() const { return FMode; }
    void SetMode(TSBStringsDataSetMode Value);
    // Size of the text fields of sdmStrings and sdmNamesValues: 1 to 65535, else raises.
    int DefaultStringLength() const { return FDefaultStringLength; }
    void SetDefaultStringLength(int Value);

    void Assign(const TStringList& Source) { SetStrings(Source); }
    void Assign(const TSBStringsDataset& Source) { SetStrings(Source.Strings()); }
    void AssignTo(TStringList& Dest) const { Dest.Assign(*FStrings); }

    TNotifyEvent OnStringsChange, OnStringsChanging;

protected:
    int GetRecordCount() override { return FStrings->Count(); }
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
    void ParseRecord(int RecordIndex, int FieldIndex, TVariant& Value) override;
    void CreateFieldInfos(TFieldInfos& FieldInfos) override;
    void ModifyRecord(TModifyKind Kind, TRecordBuffer Buffer) override;
    virtual void DoStringsChange();
    virtual void DoStringsChanging();

private:
    // The steps every property setter shares: stored at once while loading; nothing when
    // Unchanged; refused on an open dataset at run time; a designing one is closed and reopened.
    void SetProperty(bool Unchanged, const std::function<void()>& Store);
    // The comma-text items of line Row, split once per line read.
    const TStringList& LineItems(int Row);
    TVariant CustomValue(const TField& F, const std::string& Item) const;

    std::unique_ptr<TStringList> FStrings;
    int FDefaultStringLength = 20;
    TSBStringsDataSetMode FMode = sdmStrings;
    int FSplitRow = -1;
    std::string FSplitLine;
    TStringList FSplitItems;
};
