# cmake -DEXE=harbrook.exe -DAPP_DIR=<build>/app -DSTAGE=<folder> -DSTRIP=<strip> -P stage.cmake
# Gathers what the installer packs: the program (stripped), the phone
# picture, and where they were built, the language libraries and harbrook.ini.
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}/harbrook locales")
file(COPY "${EXE}" "${APP_DIR}/mobile.jpg" DESTINATION "${STAGE}")
if(STRIP)
  execute_process(COMMAND "${STRIP}" "${STAGE}/harbrook.exe" COMMAND_ERROR_IS_FATAL ANY)
endif()
if(EXISTS "${APP_DIR}/harbrook.ini")
  file(COPY "${APP_DIR}/harbrook.ini" DESTINATION "${STAGE}")
endif()
file(GLOB languages "${APP_DIR}/harbrook locales/*.dll")
if(languages)
  file(COPY ${languages} DESTINATION "${STAGE}/harbrook locales")
endif()
