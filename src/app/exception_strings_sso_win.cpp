// The members of std::string that the C++ library's exception classes call
// (through its own small-string helper), instantiated here for the reason
// given in exception_strings_win.cpp: otherwise the library's object holding
// all of std::string's members would be linked whole (some 40 KB). Linked
// straight into the program.
#include <string>

namespace std::__cxx11 {

template char* basic_string<char>::_M_create(size_type&, size_type);
template void basic_string<char>::_M_assign(const basic_string&);

}  // namespace std::__cxx11
