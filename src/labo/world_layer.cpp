// The predicted coast drawn into the 3D scene, dashed in yellow, so that the
// student sees where the chaser is going from any camera.
#include <GL/gl.h>

#include "labo.h"

namespace {

constexpr GLint dash_factor = 3;
constexpr GLushort dash_pattern = 0x00FF;
constexpr GLfloat coast_line_width = 2.0f;

}  // namespace

void draw_predicted_coast()
{
    // After a verdict the run is over: there is nowhere left to go.
    if (labo.ended || labo.prediction.size() < 2) return;
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(dash_factor, dash_pattern);
    glLineWidth(coast_line_width);
    glColor3ub(255, 215, 0);
    glBegin(GL_LINE_STRIP);
    for (const CoastPoint& point : labo.prediction) {
        glVertex3d(point.motion.x, point.motion.y, point.motion.z);
    }
    glEnd();
    glPopAttrib();
}
