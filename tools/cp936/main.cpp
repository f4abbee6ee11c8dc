// Writes the code page 936 table of the text codec:
//   vantrel-cp936-table > src/common/Cp936Table.inc
#include <cstdio>
#include <iostream>

#include "Cp936Derivation.h"

int main() {
    const auto table = vantrel::cp936::DeriveTwoByteTable();
    if (!table) {
        std::cerr << "vantrel-cp936-table: " << table.error() << std::endl;
        return 1;
    }
    std::cout << vantrel::cp936::TableSource(table.value());
    return 0;
}
