# Lays out one copy of Zarvio as a user gets it and packs it as the portable zip.
#   cmake -DEXE=zarvio.exe -DDATA=<data folder> -DREADME=<README.txt> -DSTAGE=<folder> -DZIP=<zip> -P stage.cmake
# STAGE/Zarvio/ gets zarvio.exe, README.txt and the shipped station files; the zip holds that
# folder, so unpacking it anywhere gives a Zarvio folder that runs as it is.
foreach(v EXE DATA README STAGE ZIP)
    if(NOT DEFINED ${v})
        message(FATAL_ERROR "stage.cmake needs -D${v}=...")
    endif()
endforeach()
set(copy ${STAGE}/Zarvio)
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${copy})
file(COPY ${EXE} ${README} ${DATA}/zarvtai.mdb ${DATA}/zarvlist.dll ${DATA}/sound.ini DESTINATION ${copy})
get_filename_component(zipDir ${ZIP} DIRECTORY)
file(MAKE_DIRECTORY ${zipDir})
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip
                        Zarvio/zarvio.exe Zarvio/README.txt Zarvio/zarvtai.mdb Zarvio/zarvlist.dll Zarvio/sound.ini
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not write ${ZIP}")
endif()
