# The release the changelog's latest entry names: it must be the project's
# version, and its date dates the manual pages, so a rebuild makes the same
# pages. Sets VELT_RELEASE_DATE (YYYY-MM-DD).
set(VELT_CHANGELOG ${PROJECT_SOURCE_DIR}/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VELT_CHANGELOG})

file(STRINGS ${VELT_CHANGELOG} changelog_heads REGEX "^velt-loader \\(")
list(GET changelog_heads 0 latest_head)
string(REGEX REPLACE "^velt-loader \\(([^)]*)\\).*" "\\1" latest_version "${latest_head}")
if(NOT latest_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "changelog: the latest entry is ${latest_version}, the project is "
    "${PROJECT_VERSION}; add an entry for the new version")
endif()

# The trailer: " -- NAME <ADDRESS>  Wed, 09 Dec 2026 12:00:00 +0000".
file(STRINGS ${VELT_CHANGELOG} changelog_trailers REGEX "^ -- ")
list(GET changelog_trailers 0 latest_trailer)
if(NOT latest_trailer MATCHES ">  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "changelog: no date in the latest entry's line \"${latest_trailer}\"")
endif()
math(EXPR release_day "${CMAKE_MATCH_1}")
set(release_year ${CMAKE_MATCH_3})
set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND month_names ${CMAKE_MATCH_2} month_index)
if(month_index LESS 0)
  message(FATAL_ERROR "changelog: no month \"${CMAKE_MATCH_2}\" in \"${latest_trailer}\"")
endif()
math(EXPR release_month "${month_index} + 1")
foreach(part release_month release_day)
  if(${part} LESS 10)
    set(${part} 0${${part}})
  endif()
endforeach()
set(VELT_RELEASE_DATE ${release_year}-${release_month}-${release_day})
