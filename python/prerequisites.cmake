# Whether the Python module can be built: pybind11, Python's headers and an
# interpreter with numpy.  Sets DREVEL_PYTHON_FOUND, Python3_EXECUTABLE and
# pybind11's targets.  Included by the top level before the libraries, which
# the module's shared object holds and which must then be position
# independent.
#
# The interpreter: Python3_EXECUTABLE when given, else the first of python3
# on PATH and Debian's /usr/bin/python3 that imports numpy, so that a
# private interpreter first on PATH (pyenv, a virtual environment) without
# numpy does not hide the one Debian's numpy, pandas and pybind11 belong to.
set(DREVEL_PYTHON_FOUND OFF)
if(DREVEL_SANITIZE OR DREVEL_TSAN OR DREVEL_FUZZ)
  # An instrumented module cannot load into an interpreter that is not.
  message(STATUS "Python module: not built with sanitizers or fuzzing")
  return()
endif()
if(NOT Python3_EXECUTABLE)
  find_program(drevel_path_python3 NAMES python3 NO_CACHE)
  foreach(candidate ${drevel_path_python3} /usr/bin/python3)
    if(EXISTS ${candidate})
      execute_process(COMMAND ${candidate} -c "import numpy" RESULT_VARIABLE no_numpy
                      OUTPUT_QUIET ERROR_QUIET)
      if(no_numpy EQUAL 0)
        set(Python3_EXECUTABLE ${candidate} CACHE FILEPATH "The Python the module is built for")
        break()
      endif()
    endif()
  endforeach()
endif()
if(NOT Python3_EXECUTABLE)
  message(STATUS "Python module: no python3 with numpy found; not built")
  return()
endif()
find_package(Python3 COMPONENTS Interpreter Development.Module QUIET)
if(Python3_FOUND)
  find_package(pybind11 CONFIG QUIET)
endif()
if(NOT Python3_FOUND OR NOT pybind11_FOUND)
  message(STATUS "Python module: pybind11 or Python's headers not found; not built")
  return()
endif()
set(DREVEL_PYTHON_FOUND ON)
message(STATUS "Python module: for ${Python3_EXECUTABLE}")
