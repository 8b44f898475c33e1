#pragma once

#include <cstddef>
#include <string>

namespace vidorama::cli {

// Qt's image readers print what the libraries under them report of damaged
// pictures ("Corrupt JPEG data: ..."), on standard error and once a picture.
// That is not the converter's to say line by line: while a collector lives,
// the messages of its thread are gathered for its conversion's note instead.
// Messages of threads without one go where they went before.
class LibraryMessages {
public:
    LibraryMessages();
    ~LibraryMessages();
    LibraryMessages(const LibraryMessages&) = delete;
    LibraryMessages& operator=(const LibraryMessages&) = delete;

    void add(const std::string& message);
    // One line for the note: the first message and how many there were;
    // empty when there were none.
    std::string note() const;

private:
    LibraryMessages* m_outer;
    std::string m_first;
    std::size_t m_count = 0;
};

} // namespace vidorama::cli
