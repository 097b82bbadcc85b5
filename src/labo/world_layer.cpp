// The predicted coast drawn into the 3D scene, dashed in yellow with its
// closest approach to the port marked, and the planner's path in violet, so
// that the student sees where the chaser is going from any camera.
#include <GL/gl.h>

#include "labo.h"

namespace {

constexpr GLint dash_factor = 3;
constexpr GLushort dash_pattern = 0x00FF;
constexpr GLfloat coast_line_width = 2.0f;
constexpr GLfloat marker_size = 8.0f;

void line_through(const std::vector<CoastPoint>& points)
{
    glBegin(GL_LINE_STRIP);
    for (const CoastPoint& point : points)
        glVertex3d(point.motion.x, point.motion.y, point.motion.z);
    glEnd();
}

void draw_planned_path()
{
    if (!plan_drawn() || labo.plan.path.size() < 2) return;
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glLineWidth(coast_line_width);
    glColor3ub(255, 115, 255);
    line_through(labo.plan.path);
    glPopAttrib();
}

}  // namespace

void draw_predicted_coast()
{
    // After a verdict the run is over: there is nowhere left to go.
    draw_planned_path();
    if (labo.run.ended || labo.run.prediction.size() < 2) return;
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT | GL_POINT_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(dash_factor, dash_pattern);
    glLineWidth(coast_line_width);
    glColor3ub(255, 215, 0);
    line_through(labo.run.prediction);
    if (labo.run.outlook.known) {
        const Motion& c = labo.run.outlook.closest_at;
        glPointSize(marker_size);
        glColor3ub(255, 140, 0);
        glBegin(GL_POINTS);
        glVertex3d(c.x, c.y, c.z);
        glEnd();
    }
    glPopAttrib();
}
