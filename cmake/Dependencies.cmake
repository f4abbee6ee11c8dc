# Third-party packages, all from the distribution.
find_package(Threads REQUIRED)

# asio is header-only (Debian: libasio-dev); used without Boost.
find_path(ASIO_INCLUDE_DIR asio.hpp)
if(NOT ASIO_INCLUDE_DIR AND CMAKE_CROSSCOMPILING)
  # The cross root has no asio of its own. The host's headers are plain C++,
  # but /usr/include itself must not reach the cross compiler (its C library
  # headers would shadow the target's), so only asio is linked into the tree.
  find_path(VANTREL_HOST_ASIO_DIR asio.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(VANTREL_HOST_ASIO_DIR)
    set(ASIO_INCLUDE_DIR ${CMAKE_BINARY_DIR}/asio-include)
    file(MAKE_DIRECTORY ${ASIO_INCLUDE_DIR})
    file(CREATE_LINK ${VANTREL_HOST_ASIO_DIR}/asio.hpp ${ASIO_INCLUDE_DIR}/asio.hpp SYMBOLIC)
    file(CREATE_LINK ${VANTREL_HOST_ASIO_DIR}/asio ${ASIO_INCLUDE_DIR}/asio SYMBOLIC)
  endif()
endif()
if(NOT ASIO_INCLUDE_DIR)
  message(FATAL_ERROR "asio.hpp not found (Debian: libasio-dev)")
endif()
add_library(asio_headers INTERFACE)
target_include_directories(asio_headers SYSTEM INTERFACE ${ASIO_INCLUDE_DIR})
target_compile_definitions(asio_headers INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED)
target_link_libraries(asio_headers INTERFACE Threads::Threads)
if(WIN32)
  # Winsock 2 under asio; mswsock for AcceptEx/ConnectEx.
  target_link_libraries(asio_headers INTERFACE ws2_32 mswsock)
endif()

# TLS to the fund middleware: OpenSSL (Debian: libssl-dev) under asio's SSL
# layer. A cross build finds the target's OpenSSL in OPENSSL_ROOT_DIR, a
# prefix with include/openssl and lib/ (libssl, libcrypto), which
# cmake/MingwToolchain.cmake adds to the find roots; the Windows builds take
# it static (OPENSSL_USE_STATIC_LIBS) from tools/build-openssl-windows.sh.
# Without OpenSSL the build still works; Tls=1 then fails every connect with
# a clear message.
find_package(OpenSSL 1.1.1 QUIET)
option(VANTREL_TLS "Connect with TLS where Bank.ini asks for it (needs OpenSSL)" ${OPENSSL_FOUND})
if(VANTREL_TLS)
  find_package(OpenSSL 1.1.1 REQUIRED)
endif()

if(WIN32)
  # Windows 7 API level everywhere (asio checks it), and std::min/std::max
  # untouched by the macros of <windows.h>.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX)
else()
  # iconv (in glibc) derives the GBK table (tools/cp936) and checks it in the
  # tests; the codec itself needs none.
  find_package(Iconv REQUIRED)
endif()

# GoogleTest: the installed package, or built from its sources. Cross builds
# have no package for the target and use Debian's sources (googletest);
# another source folder can be given with VANTREL_GTEST_SOURCE_DIR.
if(CMAKE_CROSSCOMPILING)
  set(gtest_sources_default /usr/src/googletest)
else()
  set(gtest_sources_default "")
endif()
set(VANTREL_GTEST_SOURCE_DIR "${gtest_sources_default}" CACHE PATH "GoogleTest sources to build instead of the installed package")
if(VANTREL_TESTS AND VANTREL_GTEST_SOURCE_DIR)
  if(NOT EXISTS ${VANTREL_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${VANTREL_GTEST_SOURCE_DIR} (Debian: googletest)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${VANTREL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
elseif(VANTREL_TESTS)
  find_package(GTest REQUIRED)
endif()

if(NOT VANTREL_CLIENT_ONLY)
  find_package(SQLite3 REQUIRED)
  find_package(benchmark QUIET)
endif()

if(NOT VANTREL_CORE_ONLY)
  # Test is optional: a Qt built without testlib still builds the library.
  find_package(Qt6 6.2 REQUIRED COMPONENTS Widgets PrintSupport OPTIONAL_COMPONENTS Test)
  # AUTOMOC/AUTOUIC are switched on per Qt target, never for the core.
endif()

# The Excel 2007 export (Debian: libxlsxwriter-dev). Cross builds have no
# package of it for the target and leave it out; the export then refuses.
vantrel_option(VANTREL_XLSX "Build the Excel 2007 (.xlsx) export with libxlsxwriter" NOT CMAKE_CROSSCOMPILING)
if(VANTREL_XLSX)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(XLSXWRITER IMPORTED_TARGET xlsxwriter)
  if(NOT XLSXWRITER_FOUND)
    message(FATAL_ERROR "libxlsxwriter not found (Debian: libxlsxwriter-dev); -DVANTREL_XLSX=OFF builds without the .xlsx export")
  endif()
endif()
