// Precondition checks of the model library. They stay on in every build type
// (Release included) and report the failed expression the way assert does.
#ifndef ORVANEL_GLM_CHECK_H
#define ORVANEL_GLM_CHECK_H

[[noreturn]] void glm_precondition_failed(const char* expression, const char* file, int line,
                                          const char* function);

// Stops the program naming `expression` when `condition` is false.
#define GLM_REQUIRE(condition, expression)                                                   \
    do {                                                                                     \
        if (!(condition)) glm_precondition_failed(expression, __FILE__, __LINE__, __func__); \
    } while (0)

#endif
