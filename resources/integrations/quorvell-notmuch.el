;;; quorvell-notmuch.el --- select notmuch messages for Quorvell  -*- lexical-binding: t -*-

;; Load it after notmuch, e.g. in your init file:
;;   (with-eval-after-load 'notmuch
;;     (load "/usr/share/quorvell/integrations/quorvell-notmuch.el"))
;;
;; Then "Q" (or M-x quorvell-select) in a notmuch search, tree or show buffer
;; selects the messages of the region, or the thread or message at point, and a
;; command picked from the tray works on them.  Search buffers select every
;; message of the threads; tree and show buffers select single messages.

;;; Code:

(require 'notmuch)
(require 'notmuch-tree)
(require 'subr-x)

(defun quorvell--run (input &rest args)
  "Run `quorvell-mail select ARGS' with INPUT (a string or nil) on its standard input."
  (with-temp-buffer
    (insert (or input ""))
    (let ((status (apply #'call-process-region (point-min) (point-max)
                         "quorvell-mail" t t nil "select" args)))
      ;; The tool ends with one line that says what it did ("3 messages selected").
      (let ((said (car (last (split-string (string-trim (buffer-string)) "\n")))))
        (if (eql status 0)
            (message "Quorvell: %s" said)
          (user-error "quorvell-mail: %s" (string-trim (buffer-string))))))))

(defun quorvell--tree-ids (beg end)
  "The id: queries of the messages on the lines from BEG to END of a tree buffer."
  (let (ids)
    (save-excursion
      (goto-char beg)
      (while (progn
               (when-let ((id (notmuch-tree-get-message-id)))
                 (push id ids))
               (and (zerop (forward-line 1)) (< (point) end)))))
    (nreverse ids)))

(defun quorvell-select (beg end)
  "Select for Quorvell the messages between BEG and END, or at point."
  (interactive (if (use-region-p)
                   (list (region-beginning) (region-end))
                 (list (line-beginning-position) (line-end-position))))
  (cond
   ((derived-mode-p 'notmuch-show-mode)
    (quorvell--run (concat (notmuch-show-get-message-id) "\n") "-"))
   ((derived-mode-p 'notmuch-tree-mode)
    (quorvell--run (mapconcat #'identity (quorvell--tree-ids beg end) "\n") "-"))
   ((derived-mode-p 'notmuch-search-mode)
    (let ((query (notmuch-search-find-stable-query-region beg end)))
      (unless query
        (user-error "No messages here"))
      (quorvell--run nil "--notmuch" query)))
   (t (user-error "Not a notmuch buffer"))))

(dolist (map (list notmuch-search-mode-map notmuch-tree-mode-map notmuch-show-mode-map))
  (define-key map (kbd "Q") #'quorvell-select))

(provide 'quorvell-notmuch)
;;; quorvell-notmuch.el ends here
