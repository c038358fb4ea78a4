# Precompiled Qt headers, made once per tree and shared (REUSE_FROM) by every
# target that compiles against Qt (nps_apply_qt_pch), so the Qt headers are
# parsed four times per tree rather than once per source file. Four sets: the layers without widgets,
# windows/, and the tests of each (the tests' set holds all of Qt Core, which
# <QtTest> pulls in whole). core/, sender/, cli/ and the virtual printer never
# see a widget header through them.
#
# A target that shares a set must be compiled with the same options as its
# donor; GCC refuses a set made otherwise (-Winvalid-pch, an error under
# -Werror), so a mismatch cannot pass unnoticed. Trees that add options to
# single targets (the fuzz tree) do without: -DNPS_PCH=OFF.

set(nps_pch_qt_core
  <QByteArray> <QString> <QStringList> <QList> <QVector> <QMap> <QHash> <QObject> <QPointer>
  <QTimer> <QElapsedTimer> <QFile> <QFileInfo> <QDir> <QSaveFile> <QTemporaryDir> <QTextStream>
  <QCoreApplication> <QThread> <QMutex> <QDateTime> <QRegularExpression> <QTranslator>
  <QJsonArray> <QJsonDocument> <QJsonObject> <QJsonValue> <QProcess> <QSocketNotifier>
  <QImage> <QColor> <QPainter>)
set(nps_pch_qt_widgets
  <QApplication> <QWidget> <QDialog> <QMainWindow> <QPushButton> <QRadioButton> <QCheckBox>
  <QComboBox> <QLabel> <QGroupBox> <QSpinBox> <QProgressBar> <QStatusBar> <QMessageBox>
  <QFileDialog> <QBoxLayout> <QTableWidget> <QHeaderView> <QShortcut> <QKeySequence> <QStyle>)
set(nps_pch_std <algorithm> <functional> <map> <memory> <string> <vector>)

# nps_pch_donor(NAME LIBS... [HEADERS_OF TARGET] HEADERS...): an object
# library that makes one set. Every macro its compile command defines must be
# defined alike where the set is used: it links only what all its users link
# (LIBS), and HEADERS_OF adds another module's headers without its macro.
function(nps_pch_donor name)
  cmake_parse_arguments(D "" "HEADERS_OF" "LIBS;HEADERS" ${ARGN})
  add_library(${name} OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch_donor.cpp)
  target_link_libraries(${name} PRIVATE ${D_LIBS})
  if(D_HEADERS_OF)
    target_include_directories(${name} SYSTEM PRIVATE $<TARGET_PROPERTY:${D_HEADERS_OF},INTERFACE_INCLUDE_DIRECTORIES>)
  endif()
  target_precompile_headers(${name} PRIVATE ${D_HEADERS})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
endfunction()

# The sets without widgets serve targets that use Qt Core alone (the library's
# tests) as well as those that use Qt Gui.
if(NPS_PCH)
  nps_pch_donor(nps_pch_core LIBS Qt6::Core HEADERS_OF Qt6::Gui HEADERS ${nps_pch_std} ${nps_pch_qt_core})
  nps_pch_donor(nps_pch_widgets LIBS Qt6::Widgets HEADERS ${nps_pch_std} ${nps_pch_qt_core} ${nps_pch_qt_widgets})
  if(NPS_BUILD_TESTS)
    nps_pch_donor(nps_pch_tests LIBS Qt6::Core HEADERS_OF Qt6::Gui HEADERS ${nps_pch_std} <QtCore> ${nps_pch_qt_core})
    nps_pch_donor(nps_pch_window_tests LIBS Qt6::Widgets
      HEADERS ${nps_pch_std} <QtCore> ${nps_pch_qt_core} ${nps_pch_qt_widgets})
  endif()
endif()

# nps_qt_modules(TARGET VAR): which of Qt's Core, Gui and Widgets TARGET
# compiles against, directly or through the project's own libraries.
function(nps_qt_modules target var)
  set(seen "")
  set(found "")
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo t)
    if(t IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${t})
    get_target_property(imported ${t} IMPORTED)
    if(imported)
      if(t MATCHES "^Qt6::(Core|Gui|Widgets)$")
        list(APPEND found ${CMAKE_MATCH_1})
      endif()
      continue()
    endif()
    set(libs "")
    get_target_property(type ${t} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(direct ${t} LINK_LIBRARIES)
      if(direct)
        list(APPEND libs ${direct})
      endif()
    endif()
    get_target_property(interface ${t} INTERFACE_LINK_LIBRARIES)
    if(interface)
      list(APPEND libs ${interface})
    endif()
    foreach(lib IN LISTS libs)
      if(lib MATCHES "^\\$<LINK_ONLY:(.+)>$")
        set(lib ${CMAKE_MATCH_1})
      endif()
      if(TARGET ${lib})
        list(APPEND todo ${lib})
      endif()
    endforeach()
  endwhile()
  set(${var} ${found} PARENT_SCOPE)
endfunction()

# nps_apply_qt_pch(): gives every target of the project that compiles against
# Qt the set of its layer. Called once, after every folder was read.
function(nps_apply_qt_pch)
  if(NOT NPS_PCH)
    return()
  endif()
  nps_compiled_targets(targets)
  foreach(target IN LISTS targets)
    if(target MATCHES "^nps_pch_")
      continue()
    endif()
    nps_qt_modules(${target} modules)
    if(NOT modules)
      continue()
    endif()
    get_target_property(source_dir ${target} SOURCE_DIR)
    string(FIND "${source_dir}/" "${PROJECT_SOURCE_DIR}/tests/" at)
    if(at EQUAL 0 AND "Widgets" IN_LIST modules)
      set(donor nps_pch_window_tests)
    elseif(at EQUAL 0)
      set(donor nps_pch_tests)
    elseif("Widgets" IN_LIST modules)
      set(donor nps_pch_widgets)
    else()
      set(donor nps_pch_core)
    endif()
    target_precompile_headers(${target} REUSE_FROM ${donor})
    nps_moc_file_without_pch(${target})
  endforeach()
endfunction()

# nps_moc_file_without_pch(TARGET): the file where AUTOMOC gathers what it
# made from TARGET's headers is compiled without the precompiled headers when
# no header of TARGET declares a Qt object: it is then empty, and reading a
# set of some 200 MB for it cost more than a second per target.
function(nps_moc_file_without_pch target)
  get_target_property(automoc ${target} AUTOMOC)
  if(NOT automoc)
    return()
  endif()
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(headers "")
  foreach(source IN LISTS sources)
    if(source MATCHES "\\$<")
      continue()
    endif()
    get_filename_component(path ${source} ABSOLUTE BASE_DIR ${source_dir})
    if(path MATCHES "\\.(h|hh|hpp|hxx)$")
      list(APPEND headers ${path})
    else()
      # AUTOMOC also reads the header of the same name beside a source.
      get_filename_component(dir ${path} DIRECTORY)
      get_filename_component(stem ${path} NAME_WE)
      foreach(ext h hh hpp hxx)
        list(APPEND headers ${dir}/${stem}.${ext} ${dir}/${stem}_p.${ext})
      endforeach()
    endif()
  endforeach()
  foreach(header IN LISTS headers)
    if(EXISTS ${header})
      file(STRINGS ${header} objects REGEX "Q_OBJECT|Q_GADGET|Q_NAMESPACE")
      if(objects)
        return()
      endif()
    endif()
  endforeach()
  get_target_property(binary_dir ${target} BINARY_DIR)
  set_source_files_properties(${binary_dir}/${target}_autogen/mocs_compilation.cpp TARGET_DIRECTORY ${target}
    PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
endfunction()
