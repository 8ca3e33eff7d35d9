// Field definitions and field objects of a dataset.
//
// TFieldDefs describes the record layout a dataset offers (name, type, size, required, field
// number). TField is the object through which a caller reads and writes one column of the
// current record: a data field (bound to a definition when the dataset opens), a calculated
// field (filled by OnCalcFields) or a lookup field (filled from another dataset). A field reads
// and writes its value in native form through its dataset's GetFieldData and SetFieldData; the
// typed accessors convert through TVariant.
//
// Ownership: the dataset owns its definitions and its field objects (TFields); a field keeps a
// plain link to its dataset and, for a lookup field, to the lookup dataset. Fields belong to the
// thread that uses their dataset.
#pragma once

#include "FieldTypes.h"
#include "Variants.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TDataSet;

class TFieldDef {
public:
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    bool Required = false;
    int FieldNo = 0;
};

class TFieldDefs {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const TFieldDef& operator[](int I) const { return FItems.at(static_cast<size_t>(I)); }
    void Clear() { FItems.clear(); }
    void Add(std::string Name, TFieldType DataType, int Size, bool Required, int FieldNo);
    // Position of the definition named Name (ASCII case ignored), -1 when there is none.
    int IndexOf(std::string_view Name) const;

private:
    std::vector<TFieldDef> FItems;
};

class TField {
public:
    // Raises EDatabaseError when a sized type gets a Size outside 1..MaxFieldSize.
    TField(TDataSet& DataSet, std::string FieldName, TFieldType DataType, int Size,
           TFieldKind Kind);

    TDataSet& DataSet() const { return FDataSet; }
    const std::string& FieldName() const { return FFieldName; }
    // The component name: the dataset's name followed by the field name.
    std::string Name() const;
    std::string DisplayName() const { return DisplayLabel.empty() ? FFieldName : DisplayLabel; }
    TFieldType DataType() const { return FDataType; }
    int Size() const { return FSize; }
    // Bytes of the value in native form, as GetData fills and SetData takes them.
    int DataSize() const { return FieldDataSize(FDataType, FSize); }
    TFieldKind FieldKind() const { return FKind; }
    bool Calculated() const { return FKind != fkData; }
    // 1-based number of the bound definition; 0 for calculated and lookup fields and while the
    // dataset is closed.
    int FieldNo() const { return FFieldNo; }
    // Start of a calculated or lookup field's flag byte within the calculated-fields area.
    int Offset() const { return FOffset; }

    std::string DisplayLabel;
    bool ReadOnly = false;
    bool Required = false;
    // A lookup field: KeyFields of this dataset are looked up as LookupKeyFields of
    // LookupDataSet, and LookupResultField of the match is the value.
    TDataSet* LookupDataSet = nullptr;
    std::string KeyFields, LookupKeyFields, LookupResultField;
    // Called with the new value before it is stored; may raise to refuse it.
    std::function<void(TField&, const TVariant&)> OnValidate;

    // Native value of the current record into Buffer (DataSize bytes); false when null.
    bool GetData(void* Buffer) const;
    // Stores a native value (nullptr: null) through the dataset.
    void SetData(const void* Buffer);
    void Validate(const void* Buffer);

    bool IsNull() const;
    TVariant Value() const;
    void SetValue(const TVariant& V);
    void Clear() { SetData(nullptr); }
    std::string AsString() const;
    void SetAsString(const std::string& V);
    int32_t AsInteger() const;
    void SetAsInteger(int32_t V) { SetValue(TVariant::Integer(V)); }
    double AsFloat() const;
    void SetAsFloat(double V) { SetValue(TVariant::Double(V)); }
    bool AsBoolean() const;
    void SetAsBoolean(bool V) { SetValue(TVariant::Boolean(V)); }
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime V) { SetValue(TVariant::Date(V)); }
    TCurrency AsCurrency() const;
    void SetAsCurrency(TCurrency V) { SetValue(TVariant::Currency(V)); }

private:
    friend class TDataSet;
    TVariant Decode(const char* Data) const;
    // Native form of V into Data (DataSize bytes, zero-filled first).
    void Encode(const TVariant& V, char* Data) const;

    TDataSet& FDataSet;
    std::string FFieldName;
    TFieldType FDataType;
    int FSize;
    TFieldKind FKind;
    int FFieldNo = 0;
    int FOffset = 0;
};

class TFields {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TField& operator[](int I) const { return *FItems.at(static_cast<size_t>(I)); }
    TField* FindField(std::string_view Name) const;
    // Raises "Field '%s' not found".
    TField& FieldByName(std::string_view Name) const;
    int IndexOf(const TField* F) const;
    void Add(std::unique_ptr<TField> F) { FItems.push_back(std::move(F)); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TField>> FItems;
};
