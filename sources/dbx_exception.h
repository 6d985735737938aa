// dbx_exception.h - the exception every DBX format error raises, and its texts.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace tessaly {

// Raised by value, caught by reference to const. The text is shown to the
// user in the run's problem log, so the wording is fixed.
class DbxException : public std::exception {
public:
    explicit DbxException(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& message() const { return message_; }

private:
    std::string message_;
};

// The reader's messages. The spelling mistakes are part of the program's
// output and stay as they are.
inline constexpr const char* kDbxErrorAllocating = "Error allocating memory !";
inline constexpr const char* kDbxTooManyToRead = "To many values to read !";
inline constexpr const char* kDbxErrorReadingNode = "Error reading node from input stream !";
inline constexpr const char* kDbxWrongMarker = "Wrong object marker !";
inline constexpr const char* kDbxWrongParent = "Wrong parent !";
inline constexpr const char* kDbxWrongEntries = "Wrong value for entries !";
inline constexpr const char* kDbxTooManyValues = "To many values !";
inline constexpr const char* kDbxWrongValueCount = "Wrong number of values found!";
inline constexpr const char* kDbxWrongIndex = "Wrong index !";
inline constexpr const char* kDbxIndexTooBig = "Index to big !";
inline constexpr const char* kDbxErrorReading = "Error reading from input stream !";
inline constexpr const char* kDbxNoText = "No text found !";

// Damage that the checks above would not catch before reading out of bounds
// or walking for ever.
// More tree nodes than the file could hold side by side: nodes overlap, or a
// node is linked more than once.
inline constexpr const char* kDbxNodesOverlap = "Tree nodes overlap !";
// The blocks of a text chain hold more than the file could: blocks overlap,
// or the chain runs in a circle.
inline constexpr const char* kDbxBlocksOverlap = "Text blocks overlap !";
// An indexed-info object's table of index entries passes the end of the file.
inline constexpr const char* kDbxTableOutside = "Index table outside the file !";
// A value of an indexed-info object lies (partly) outside the file, or ends
// before it starts.
inline constexpr const char* kDbxValueOutside = "Value outside the file !";
// A field read that the checks before it should have made impossible.
inline constexpr const char* kDbxReadOutside = "Read outside the file !";

}  // namespace tessaly
