# Writes OUT: a C++ table of FILES (name, bytes) returned by NS::FN(), in the
# order given, so the binary carries them and needs no file at run time.
set(body "#include <string_view>\n#include <utility>\n#include <vector>\nnamespace ${NS} {\nconst std::vector<std::pair<std::string_view, std::string_view>>& ${FN}() {\n  static const std::vector<std::pair<std::string_view, std::string_view>> t = {\n")
foreach(f ${FILES})
  get_filename_component(name ${f} NAME)
  file(READ ${f} text)
  set(body "${body}    {\"${name}\", R\"__embed__(${text})__embed__\"},\n")
endforeach()
set(body "${body}  };\n  return t;\n}\n}  // namespace ${NS}\n")
file(WRITE ${OUT}.tmp "${body}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
