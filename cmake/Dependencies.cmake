# Third-party packages, all from the distribution.
find_package(Threads REQUIRED)

# asio is header-only (Debian: libasio-dev); used without Boost.
find_path(ASIO_INCLUDE_DIR asio.hpp REQUIRED)
add_library(asio_headers INTERFACE)
target_include_directories(asio_headers SYSTEM INTERFACE ${ASIO_INCLUDE_DIR})
target_compile_definitions(asio_headers INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED)
target_link_libraries(asio_headers INTERFACE Threads::Threads)

# iconv lives in glibc on Linux; elsewhere it is a separate library.
find_package(Iconv REQUIRED)

find_package(GTest REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(benchmark QUIET)

if(NOT VANTREL_CORE_ONLY)
  find_package(Qt6 6.2 REQUIRED COMPONENTS Widgets PrintSupport Test)
  # AUTOMOC/AUTOUIC are switched on per Qt target, never for the core.
endif()
