"""HTML to PNG and PDF, and a viewer driven as a user would drive it."""

import qjxhtml

page = "<title>Hello</title><h1>Hello</h1><p>from Python</p>"
qjxhtml.render_png(page, "hello.png", width=640)  # the whole page
qjxhtml.render_pdf(page, "hello.pdf")             # A4, 2 cm margins

with qjxhtml.Viewer(640, 480) as viewer:
    viewer.on_submit = lambda form: print("submitted", form.action, form.pairs)
    viewer.load_html("<title>Search</title><form action='/find'><input name='q'><input type=submit value=Find></form>")
    viewer.click(40, 18)        # into the field
    viewer.type_text("cats")
    viewer.click(140, 18)       # the button
    print(viewer.title, viewer.document_height)
