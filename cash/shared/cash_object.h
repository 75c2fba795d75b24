// The family of objects the sender runs against a cash device: a Checks object
// for cheques and device checks, XReport and ZReport for the shift reports.
// The slot order of the virtual operations is part of the design; keep it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "cash/shared/ICash.h"

namespace vorna {

// A 16-byte class identifier (a GUID in its textual byte order).
using ClassId = std::array<std::uint8_t, 16>;

// The archive that save and load work on; every operation returns the archive
// so that calls chain.
class CashArchive {
public:
    virtual ~CashArchive() = default;
    virtual CashArchive& writeString(const std::string& value) = 0;
    virtual CashArchive& writeInt(int value) = 0;
    virtual CashArchive& writeBool(bool value) = 0;
    virtual CashArchive& writeUnused() = 0;  // part of the contract, unused by the cash objects
    virtual CashArchive& writeId(const ClassId& value) = 0;
    virtual CashArchive& readBool(bool& value) = 0;
    virtual CashArchive& readInt(int& value) = 0;
    virtual CashArchive& readId(ClassId& value) = 0;
    virtual CashArchive& readString(std::string& value) = 0;
};

class Serializable {
public:
    virtual ~Serializable() = default;
    // Writes the class identifier; classes with data override it.
    virtual CashArchive& save(CashArchive& archive) const { return archive.writeId(classId()); }
    // Reads and discards an identifier; classes with data override it.
    virtual CashArchive& load(CashArchive& archive) {
        ClassId ignored{};
        return archive.readId(ignored);
    }
    virtual ClassId classId() const = 0;
};

class CashObject : public Serializable {
public:
    // The object's main work against the device; returns a result code.
    virtual int Execute(cash::ICash& cash) = 0;
    // Device check that also delivers the device information text (owned by the caller).
    virtual int CheckInfoKKT(cash::ICash& cash, char** info) = 0;
    // Device and shift check.
    virtual int CheckKKT(cash::ICash& cash) = 0;
};

// Parses "{8E77EDB5-DF81-49A0-BDE9-5425E88750BD}" into its 16 bytes, in the
// order the text shows them.
ClassId classIdFromText(const char* text);

}  // namespace vorna
