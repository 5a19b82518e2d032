// Linked straight into the program (not through a library), like
// quiet_terminate_win.cpp, so that the linker has these definitions before it
// searches the C++ library.
//
// The library's exception classes (std::runtime_error and its kin, which the
// program throws with messages) keep the message in the old copy-on-write
// std::string and call a few of its members. In libstdc++.a those members
// share one object with the whole of that string class, and MinGW's unwind
// tables, which are all kept, name every function of an object: calling one
// member would link all of them (some 45 KB). The members the exception
// classes call are instantiated here instead, from the library's own headers,
// so the same code is linked and nothing more. (exception_strings_sso_win.cpp
// does the same for the members of std::string that the classes use.) What
// the program takes from the library shows in a link map (-Wl,-Map).
#define _GLIBCXX_USE_CXX11_ABI 0  // this file's std::string is the old one
#include <string>

namespace std {

template basic_string<char>::size_type basic_string<char>::_Rep::_S_empty_rep_storage[];
template basic_string<char>::_Rep* basic_string<char>::_Rep::_S_create(size_type, size_type,
                                                                       const allocator<char>&);
template void basic_string<char>::_Rep::_M_destroy(const allocator<char>&) throw();
template void basic_string<char>::_Rep::_M_dispose(const allocator<char>&);
template char* basic_string<char>::_Rep::_M_clone(const allocator<char>&, size_type);
template char* basic_string<char>::_S_construct(size_type, char, const allocator<char>&);
template void basic_string<char>::swap(basic_string&);
template basic_string<char>& basic_string<char>::assign(const basic_string&);

}  // namespace std
