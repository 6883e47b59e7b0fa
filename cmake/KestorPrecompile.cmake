# kestor_precompile_headers(dir): gives every target under dir with at least three C++ sources a
# precompiled header of the standard, Qt and GoogleTest headers most files include, each Qt module's
# headers only where the target links that module. Reading those headers is most of a compile here,
# so a clean build (test.sh turns KESTOR_PCH on for its fuzz and ThreadSanitizer builds) takes less
# time: a fifth with GCC, half with clang.
# Incremental builds with ccache are better off without it, as ccache does not cache compiles that
# read a precompiled header.
set(KESTOR_PCH_STD <algorithm> <atomic> <chrono> <cmath> <cstdint> <cstring> <functional> <map> <memory> <mutex>
    <optional> <string> <string_view> <thread> <vector>)
set(KESTOR_PCH_Qt6::Core <QByteArray> <QCoreApplication> <QObject> <QSettings> <QString> <QStringList> <QTimer>
    <QVariant>)
set(KESTOR_PCH_Qt6::Gui <QColor> <QImage> <QPainter>)
set(KESTOR_PCH_Qt6::Widgets <QApplication> <QLineEdit> <QWidget>)
set(KESTOR_PCH_Qt6::Test <QTest>)
set(KESTOR_PCH_GTest::gtest <gtest/gtest.h>)

# The targets a target links, directly or through the ones it links.
function(kestor_link_closure target result)
  set(todo ${target})
  set(done)
  while(todo)
    list(POP_FRONT todo item)
    if(item IN_LIST done OR NOT TARGET ${item})
      continue()
    endif()
    list(APPEND done ${item})
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${item} ${property})
      if(libs)
        # Names inside generator expressions such as $<LINK_ONLY:Qt6::Core> count as well.
        string(REGEX MATCHALL "[A-Za-z0-9_.+-]+(::[A-Za-z0-9_.+-]+)?" names "${libs}")
        list(APPEND todo ${names})
      endif()
    endforeach()
  endwhile()
  set(${result} ${done} PARENT_SCOPE)
endfunction()

function(kestor_precompile_headers dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    list(LENGTH sources count)
    if(type STREQUAL "INTERFACE_LIBRARY" OR type STREQUAL "UTILITY" OR count LESS 3)
      continue()
    endif()
    kestor_link_closure(${target} links)
    set(headers ${KESTOR_PCH_STD})
    foreach(module Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Test GTest::gtest)
      if(module IN_LIST links)
        list(APPEND headers ${KESTOR_PCH_${module}})
      endif()
    endforeach()
    # For the C++ sources alone; $<ANGLE-R> keeps each header's ">" from closing the expression.
    list(TRANSFORM headers REPLACE ">$" "$<ANGLE-R>")
    list(TRANSFORM headers PREPEND "$<$<COMPILE_LANGUAGE:CXX>:")
    list(TRANSFORM headers APPEND ">")
    target_precompile_headers(${target} PRIVATE ${headers})
    # GCC 12 takes std::string's operator+, inlined from a precompiled header, for copies out of
    # bounds (-Warray-bounds, -Wstringop-overflow): false alarms it does not raise without one, of the
    # kind of the -Wrestrict one left out for that compiler in the top CMakeLists.txt.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    kestor_precompile_headers(${subdir})
  endforeach()
endfunction()
