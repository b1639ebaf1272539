# Cross build for 64-bit x86. The product is the 32-bit build; this one runs
# the Windows tests where the host cannot execute 32-bit programs (Wine then
# only has its 64-bit loader).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VELMORA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
