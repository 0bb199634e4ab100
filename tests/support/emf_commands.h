#pragma once
// The records of one kind in a page file read by the EMF reader, in file order:
//   for (const emf::TextOut& t : CommandsOf<emf::TextOut>(doc)) ...

#include <variant>
#include <vector>

#include "pagefile/emf_reader.h"

namespace vm::test {

template <typename T>
std::vector<T> CommandsOf(const emf::Document& doc) {
    std::vector<T> result;
    for (const emf::Command& c : doc.commands) {
        if (const T* t = std::get_if<T>(&c)) {
            result.push_back(*t);
        }
    }
    return result;
}

}  // namespace vm::test
