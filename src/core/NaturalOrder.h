#pragma once
#include <QStringList>

#include <cstddef>
#include <memory>

// The order a file manager lists names in: letter case ignored, digits compared as numbers
// (img2 before img10), ties broken by the exact text so the order never depends on the order
// the names were read in.
namespace NaturalOrder {

// Sorts `names` in that order.
void sort(QStringList* names);

// Gathers file names as the folder gives them, in bytes, and hands them back sorted. Names of
// printable ASCII (nearly every camera's) stay bytes until they are sorted: a folder of tens of
// thousands of photos sorts in a few milliseconds.
class Collector {
public:
    Collector();
    ~Collector();
    // Adds the name held in `bytes`; one that is no valid text in the file-name encoding is
    // left out (no path could open, move or delete it).
    void add(const char* bytes, size_t length);
    QStringList sorted();

    class AsciiNames;  // the byte-string fast path (NaturalOrder.cpp)

private:
    std::unique_ptr<AsciiNames> ascii_;
    QStringList other_;
};

}  // namespace NaturalOrder
