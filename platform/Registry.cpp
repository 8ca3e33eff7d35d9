#include "Registry.h"

#include "Format.h"
#include "SysUtils.h"

#include <QFile>
#include <QSettings>
#include <QStringList>

#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace {

std::vector<std::string> KeyParts(std::string_view Key) {
    std::vector<std::string> Parts;
    size_t P = 0;
    while (P <= Key.size()) {
        size_t Q = Key.find_first_of("\\/", P);
        if (Q == std::string_view::npos) Q = Key.size();
        if (Q > P) Parts.emplace_back(Key.substr(P, Q - P));
        P = Q + 1;
    }
    return Parts;
}

// A key part used as a file or folder name: never a path of its own.
std::string FilePart(std::string S) {
    if (S == "." || S == "..") return "_";
    return S;
}

const char* RootSuffix(TRegistryRoot Root) {
    switch (Root) {
    case TRegistryRoot::CurrentUser: return "";
    case TRegistryRoot::LocalMachine: return ".LocalMachine";
    case TRegistryRoot::CurrentConfig: return ".CurrentConfig";
    case TRegistryRoot::ClassesRoot: return ".ClassesRoot";
    case TRegistryRoot::Users: return ".Users";
    case TRegistryRoot::DynData: return ".DynData";
    }
    return "";
}

QString ToQ(std::string_view S) {
    return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}

QVariant EncodeValue(const std::string& V) {
    QString Q = ToQ(V);
    if (Q.toStdString() == V) return Q;
    return QByteArray::fromStdString(V);
}

std::string DecodeValue(const QVariant& V) {
    switch (V.typeId()) {
    case QMetaType::QByteArray: return V.toByteArray().toStdString();
    case QMetaType::QStringList: return V.toStringList().join(',').toStdString();
    default: return V.toString().toStdString();
    }
}

} // namespace

std::string TRegIniFile::KeyFileName(const std::string& Key, TRegistryRoot Root,
                                     std::string* Group) {
    std::vector<std::string> Parts = KeyParts(Key);
    if (Parts.size() > 1 && AnsiSameText(Parts[0], "Software")) Parts.erase(Parts.begin());
    std::string Folder, File = "Software";
    size_t Rest = 0;
    if (Parts.size() == 1) {
        File = FilePart(Parts[0]);
        Rest = 1;
    } else if (Parts.size() >= 2) {
        Folder = FilePart(Parts[0]) + "/";
        File = FilePart(Parts[1]);
        Rest = 2;
    }
    if (Group) {
        Group->clear();
        for (size_t I = Rest; I < Parts.size(); ++I) {
            if (!Group->empty()) *Group += '/';
            *Group += Parts[I];
        }
    }
    return UserConfigFolder() + Folder + File + RootSuffix(Root) + ".conf";
}

TRegIniFile::TRegIniFile(const std::string& Key, TRegistryRoot Root, bool ReadOnly)
    : TCustomIniFile(KeyFileName(Key, Root)), FKey(Key), FRoot(Root), FReadOnly(ReadOnly) {
    KeyFileName(Key, Root, &FGroup);
    struct stat St;
    if (::stat(FileName().c_str(), &St) == 0) {
        if (!S_ISREG(St.st_mode))
            throw EFOpenError(Format(SysConsts::SFOpenError, {FileName(), "Not a regular file"}));
        if (static_cast<unsigned long long>(St.st_size) > IniFileMaxBytes)
            RaiseFileOpenError(FileName(), EFBIG);
    }
    FSettings = std::make_unique<QSettings>(
        QFile::decodeName(QByteArray::fromStdString(FileName())), QSettings::IniFormat);
    if (FSettings->status() == QSettings::AccessError)
        throw ERegistryException(Format(RegConsts::SRegCreateFailed, {Key}));
}

TRegIniFile::~TRegIniFile() = default;

std::string TRegIniFile::ValuePath(const std::string& Section, const std::string& Ident) const {
    std::string P = FGroup;
    for (const std::string* Part : {&Section, &Ident}) {
        if (Part->empty()) continue;
        if (!P.empty()) P += '/';
        P += *Part;
    }
    for (char& C : P)
        if (C == '\\') C = '/';
    return P;
}

void TRegIniFile::CheckWritable(const std::string& Ident) const {
    if (FReadOnly) throw ERegistryException(Format(RegConsts::SRegSetDataFailed, {Ident}));
}

std::string TRegIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                    const std::string& Default) {
    if (Ident.empty()) return Default;
    QVariant V = FSettings->value(ToQ(ValuePath(Section, Ident)));
    return V.isValid() ? DecodeValue(V) : Default;
}

void TRegIniFile::WriteString(const std::string& Section, const std::string& Ident,
                              const std::string& Value) {
    CheckWritable(Ident);
    if (Ident.empty()) return;
    FSettings->setValue(ToQ(ValuePath(Section, Ident)), EncodeValue(Value));
    FModified = true;
}

bool TRegIniFile::ValueExists(const std::string& Section, const std::string& Ident) {
    return !Ident.empty() && FSettings->contains(ToQ(ValuePath(Section, Ident)));
}

void TRegIniFile::EraseSection(const std::string& Section) {
    CheckWritable(Section);
    FSettings->remove(ToQ(ValuePath(Section, "")));
    FModified = true;
}

void TRegIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
    CheckWritable(Ident);
    if (Ident.empty()) return;
    FSettings->remove(ToQ(ValuePath(Section, Ident)));
    FModified = true;
}

void TRegIniFile::UpdateFile() {
    if (!FModified) return;
    FSettings->sync();
    // A format error is the reader's report on a damaged file, which the write has just
    // replaced by what could be read of it; only a failed write is a failure here.
    if (FSettings->status() == QSettings::AccessError)
        throw ERegistryException(Format(RegConsts::SRegSetDataFailed, {FileName()}));
    FModified = false;
}
